# The windows: Qt 6 Widgets. quenby_ui holds every window and the shared window machinery, so the
# program, the window tests and the start-up probe link the same code.
find_package(Qt6 REQUIRED COMPONENTS Widgets)

add_library(quenby_ui STATIC
  src/shell/appearance.cpp
  src/shell/bill_export.cpp
  src/shell/error_guard.cpp
  src/shell/field_binding.cpp
  src/shell/picture_button.cpp
  src/shell/sheet_window.cpp
  src/logtally/form1.cpp
)
set_target_properties(quenby_ui PROPERTIES AUTOMOC ON)
target_include_directories(quenby_ui PUBLIC src)
target_link_libraries(quenby_ui PUBLIC quenby_core quenby_office Qt6::Widgets)

add_executable(quenby src/shell/main.cpp)
target_link_libraries(quenby PRIVATE quenby_ui)
install(TARGETS quenby RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Start-up probe: shows Form1 and returns once the window is exposed (see bench/startup.sh).
add_executable(startup_probe bench/startup_probe.cpp)
target_link_libraries(startup_probe PRIVATE quenby_ui)
