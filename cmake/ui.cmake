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
    src/app/autosave.cpp
    src/app/test_log.cpp
  )
  set_target_properties(quenby_app PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_app PUBLIC quenby_ui quenby_office quenby_store)

  add_executable(quenby src/app/main.cpp)
  target_link_libraries(quenby PRIVATE quenby_app)
  install(TARGETS quenby RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # Start-up probe: shows Form1 and returns once the window is exposed (see bench/startup.sh).
  add_executable(startup_probe bench/startup_probe.cpp)
  target_link_libraries(startup_probe PRIVATE quenby_app)
endif()
