# The windows (quenby_ui: the shared window machinery and the three calculator windows, Qt 6
# Widgets, no UNO) and the application (quenby_app: the window switcher and the desktop services,
# which bring in the LibreOffice host). The program, the window tests and the start-up probe link
# the same code.
find_package(Qt6 REQUIRED COMPONENTS Widgets Svg)

# The icon's one picture, built in and installed for the desktop as it is, and the code that draws
# it with Qt SVG: for the build tools and the tests. The program shows the pixels drawn from it
# at build time (render_icon_pixels), so it neither draws the picture at each start nor loads
# Qt SVG.
add_library(quenby_icon_picture STATIC src/shell/icon_picture.cpp)
target_include_directories(quenby_icon_picture PUBLIC src)
target_link_libraries(quenby_icon_picture PUBLIC Qt6::Gui PRIVATE Qt6::Svg)
qt_add_resources(quenby_icon_picture artwork PREFIX /quenby BASE resources FILES resources/quenby.svg)

add_executable(render_icon_pixels resources/render_icon_pixels.cpp)
target_link_libraries(render_icon_pixels PRIVATE quenby_icon_picture)
set(QUENBY_ICON_PIXELS)
foreach(size 16 24 32 48 64 128 256)
  list(APPEND QUENBY_ICON_PIXELS ${CMAKE_BINARY_DIR}/icon_pixels/${size})
endforeach()
add_custom_command(
  OUTPUT ${QUENBY_ICON_PIXELS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render_icon_pixels>
          ${CMAKE_BINARY_DIR}/icon_pixels
  DEPENDS render_icon_pixels resources/quenby.svg
  COMMENT "Drawing the application icon's pixels"
  VERBATIM)

# The windows' painting code (the look, and the pictures the build draws with it), shared by the
# windows and the build tool that draws the pictures; Qt GUI only.
add_library(quenby_artwork STATIC
  src/shell/appearance.cpp
  src/shell/built_pictures.cpp
)
target_include_directories(quenby_artwork PUBLIC src)
target_link_libraries(quenby_artwork PUBLIC quenby_core Qt6::Gui)

# The pictures the windows show as the build drew them (shell/built_pictures.h): the tool writes
# them and their list (which says how rcc stores each), rcc builds them in.
add_executable(render_pictures resources/render_pictures.cpp)
target_link_libraries(render_pictures PRIVATE quenby_artwork)
set(QUENBY_PICTURES ${CMAKE_BINARY_DIR}/window_pictures)
set(QUENBY_PICTURE_SOURCES)
foreach(ratio 1 2)
  add_custom_command(
    OUTPUT ${QUENBY_PICTURES}/pictures@${ratio}.qrc
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=${ratio}
            $<TARGET_FILE:render_pictures> ${QUENBY_PICTURES}
    DEPENDS render_pictures
    COMMENT "Drawing the windows' button faces and titles for the pixel ratio ${ratio}"
    VERBATIM)
  # One resource per ratio: the pictures stored as they are then follow each other with no
  # compressed picture of odd length between them, so that every one starts on a word boundary
  # and is shown in place, not copied.
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/qrc_window_pictures_${ratio}.cpp
    COMMAND Qt6::rcc --name window_pictures_${ratio} ${QUENBY_PICTURES}/pictures@${ratio}.qrc
            -o ${CMAKE_BINARY_DIR}/qrc_window_pictures_${ratio}.cpp
    DEPENDS ${QUENBY_PICTURES}/pictures@${ratio}.qrc
    VERBATIM)
  list(APPEND QUENBY_PICTURE_SOURCES ${CMAKE_BINARY_DIR}/qrc_window_pictures_${ratio}.cpp)
endforeach()

add_library(quenby_ui STATIC
  ${QUENBY_PICTURE_SOURCES}
  src/shell/error_guard.cpp
  src/shell/field_binding.cpp
  src/shell/picture_button.cpp
  src/shell/question.cpp
  src/shell/sheet_window.cpp
  src/shell/window_export.cpp
  src/shell/export_progress_window.cpp
  src/shell/off_ui_thread.cpp
  src/logtally/form1.cpp
  src/multilength/form2.cpp
  src/sawn/form3.cpp
)
set_target_properties(quenby_ui PROPERTIES AUTOMOC ON)
set_source_files_properties(${QUENBY_PICTURE_SOURCES} PROPERTIES SKIP_AUTOGEN ON)
target_include_directories(quenby_ui PUBLIC src)
target_link_libraries(quenby_ui PUBLIC quenby_artwork Qt6::Widgets)
# Stored as they are: the icon reads them in place, with no unpacking.
qt_add_resources(quenby_ui icon_pixels PREFIX /quenby/icon BASE ${CMAKE_BINARY_DIR}/icon_pixels
                 FILES ${QUENBY_ICON_PIXELS} OPTIONS --no-compress)

if(TARGET quenby_office)
  add_library(quenby_app STATIC
    src/app/calculators.cpp
    src/app/setup.cpp
    src/app/desktop_services.cpp
    src/app/office_warm_up.cpp
    src/app/office_on_demand.cpp
    src/app/command_line.cpp
    src/app/autosave.cpp
    src/app/ledger_access.cpp
    src/app/sheet_records.cpp
    src/app/test_log.cpp
    src/app/program.cpp
  )
  set_source_files_properties(src/app/command_line.cpp PROPERTIES
    COMPILE_DEFINITIONS QUENBY_VERSION="${PROJECT_VERSION}")
  set_source_files_properties(src/app/desktop_services.cpp PROPERTIES
    COMPILE_DEFINITIONS QUENBY_OFFICE_MODULE_DIR="${QUENBY_OFFICE_MODULE_DIR}")
  set_target_properties(quenby_app PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_app PUBLIC quenby_ui quenby_termination quenby_store)
  # The office host comes as a module when an office is first wanted: the program links no UNO.
  add_dependencies(quenby_app quenby_office_host)

  add_executable(quenby src/app/main.cpp)
  target_link_libraries(quenby PRIVATE quenby_app)
  # The program shows the icon's pixels as the build drew them: drawing the picture at a start
  # would bring Qt SVG back in.
  add_test(NAME program_loads_no_svg
           COMMAND sh -c "! readelf -d \"$1\" | grep -q libQt6Svg" sh $<TARGET_FILE:quenby>)
  add_test(NAME program_links_no_uno
           COMMAND sh -c "! readelf -d \"$1\" | grep -q libuno" sh $<TARGET_FILE:quenby>)
  set_tests_properties(program_loads_no_svg program_links_no_uno PROPERTIES LABELS core)
  install(TARGETS quenby RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Click on 导出表格 to the bill handed to the desktop, through the real window and office.
  find_package(benchmark QUIET)
  find_package(Qt6 QUIET COMPONENTS Test)
  if(benchmark_FOUND AND Qt6Test_FOUND AND TARGET bill_template)
    add_executable(export_click_bench bench/export_click_bench.cpp)
    target_link_libraries(export_click_bench PRIVATE quenby_app quenby_office Qt6::Test benchmark::benchmark)
    add_dependencies(export_click_bench bill_template)
  endif()

  # Start-up probe: shows Form1 and returns once the window is exposed (see bench/startup.sh).
  add_executable(startup_probe bench/startup_probe.cpp)
  target_link_libraries(startup_probe PRIVATE quenby_app)
  target_include_directories(startup_probe PRIVATE bench)
endif()

# The start-up probe's yardstick: the same widgets in a plain Qt window (see bench/startup.sh).
add_executable(plain_window_probe bench/plain_window_probe.cpp)
target_link_libraries(plain_window_probe PRIVATE Qt6::Widgets)
target_include_directories(plain_window_probe PRIVATE bench)
