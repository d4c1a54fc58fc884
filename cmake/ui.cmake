# The shell (quenby_shell: the window machinery the calculators' windows are made with, Qt 6
# Widgets, no UNO; with its painting code quenby_artwork and the icon's picture
# quenby_icon_picture) and quenby_ui, the shell with every calculator's window.
find_package(Qt6 REQUIRED COMPONENTS Widgets Svg)

# The icon's one picture, built in and installed for the desktop as it is, and the code that draws
# it with Qt SVG: for the build tools and the tests. The program shows the pixels drawn from it
# at build time (render_icon_pixels), so it neither draws the picture at each start nor loads
# Qt SVG.
add_library(quenby_icon_picture STATIC src/shell/icon_picture.cpp)
quenby_room_include(quenby_icon_picture shell)
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
quenby_room_include(quenby_artwork shell)
target_link_libraries(quenby_artwork PUBLIC quenby_sheet Qt6::Gui)

# The pictures the windows show as the build drew them (shell/built_pictures.h): the tool writes
# them and their list (which says how rcc stores each), rcc builds them in.
add_executable(render_pictures resources/render_pictures.cpp)
target_link_libraries(render_pictures PRIVATE quenby_artwork quenby_calculator_list)
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

add_library(quenby_shell STATIC
  ${QUENBY_PICTURE_SOURCES}
  src/shell/error_guard.cpp
  src/shell/field_binding.cpp
  src/shell/picture_button.cpp
  src/shell/question.cpp
  src/shell/sheet_window.cpp
  src/shell/window_export.cpp
  src/shell/export_progress_window.cpp
  src/shell/off_ui_thread.cpp
)
set_target_properties(quenby_shell PROPERTIES AUTOMOC ON)
set_source_files_properties(${QUENBY_PICTURE_SOURCES} PROPERTIES SKIP_AUTOGEN ON)
quenby_room_include(quenby_shell shell)
target_link_libraries(quenby_shell PUBLIC quenby_artwork quenby_export Qt6::Widgets)
# Stored as they are: the icon reads them in place, with no unpacking.
qt_add_resources(quenby_shell icon_pixels PREFIX /quenby/icon BASE ${CMAKE_BINARY_DIR}/icon_pixels
                 FILES ${QUENBY_ICON_PIXELS} OPTIONS --no-compress)


# The shell with every calculator's window.
add_library(quenby_ui INTERFACE)
foreach(calculator ${QUENBY_CALCULATORS})
  target_link_libraries(quenby_ui INTERFACE quenby_${calculator}_window)
endforeach()
