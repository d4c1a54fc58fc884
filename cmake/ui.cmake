# The windows (quenby_ui: the shared window machinery and the three calculator windows, Qt 6
# Widgets, no UNO) and the application (quenby_app: the window switcher and the desktop services,
# which bring in the LibreOffice host). The program, the window tests and the start-up probe link
# the same code.
find_package(Qt6 REQUIRED COMPONENTS Widgets Svg)

add_library(quenby_ui STATIC
  src/shell/appearance.cpp
  src/shell/error_guard.cpp
  src/shell/field_binding.cpp
  src/shell/picture_button.cpp
  src/shell/sheet_window.cpp
  src/shell/window_export.cpp
  src/shell/export_progress_window.cpp
  src/shell/off_ui_thread.cpp
  src/logtally/form1.cpp
  src/multilength/form2.cpp
  src/sawn/form3.cpp
)
set_target_properties(quenby_ui PROPERTIES AUTOMOC ON)
target_include_directories(quenby_ui PUBLIC src)
target_link_libraries(quenby_ui PUBLIC quenby_core Qt6::Widgets PRIVATE Qt6::Svg)
# The icon's one picture: built into the program, and installed for the desktop as it is.
qt_add_resources(quenby_ui artwork PREFIX /quenby BASE resources FILES resources/quenby.svg)

if(TARGET quenby_office)
  add_library(quenby_app STATIC
    src/app/calculators.cpp
    src/app/setup.cpp
    src/app/desktop_services.cpp
    src/app/office_warm_up.cpp
    src/app/command_line.cpp
  )
  set_source_files_properties(src/app/command_line.cpp PROPERTIES
    COMPILE_DEFINITIONS QUENBY_VERSION="${PROJECT_VERSION}")
  set_target_properties(quenby_app PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_app PUBLIC quenby_ui quenby_office)

  add_executable(quenby src/app/main.cpp)
  target_link_libraries(quenby PRIVATE quenby_app)
  install(TARGETS quenby RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Click on 导出表格 to the bill handed to the desktop, through the real window and office.
  find_package(benchmark QUIET)
  find_package(Qt6 QUIET COMPONENTS Test)
  if(benchmark_FOUND AND Qt6Test_FOUND AND TARGET bill_template)
    add_executable(export_click_bench bench/export_click_bench.cpp)
    target_link_libraries(export_click_bench PRIVATE quenby_app Qt6::Test benchmark::benchmark)
    add_dependencies(export_click_bench bill_template)
  endif()

  # Start-up probe: shows Form1 and returns once the window is exposed (see bench/startup.sh).
  add_executable(startup_probe bench/startup_probe.cpp)
  target_link_libraries(startup_probe PRIVATE quenby_app)
endif()
