# The rooms over the windows and the program:
#   quenby_windows         the calculators' windows paired with their descriptors (the list the build
#                          makes), creating and switching them
#   quenby_office_loading  the office host module loaded when an office is first wanted, and the
#                          first key or click that asks for one
#   quenby_keeping         the keeping of sheets and records: autosave and recovery, the ledger's
#                          records of exports and drafts, the ledger window's access, the test log
#   quenby_app             the program's assembly: set-up, command line, desktop services, main
# The program, the window tests and the start-up probe link the same code.
if(TARGET quenby_office)
  add_library(quenby_windows STATIC
    src/windows/calculators.cpp
    src/windows/bill_pdf_name.cpp
    ${CMAKE_BINARY_DIR}/generated/calculator_windows.cpp
  )
  quenby_room_include(quenby_windows windows)
  set_target_properties(quenby_windows PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_windows PUBLIC quenby_ui quenby_calculator_list quenby_store)

  add_library(quenby_office_loading STATIC
    src/office_loading/office_warm_up.cpp
    src/office_loading/office_on_demand.cpp
  )
  quenby_room_include(quenby_office_loading office_loading)
  set_target_properties(quenby_office_loading PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_office_loading PUBLIC quenby_shell quenby_threads)

  add_library(quenby_keeping STATIC
    src/keeping/autosave.cpp
    src/keeping/ledger_access.cpp
    src/keeping/sheet_recorder.cpp
    src/keeping/record_pdf.cpp
    src/keeping/test_log.cpp
  )
  quenby_room_include(quenby_keeping keeping)
  set_target_properties(quenby_keeping PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_keeping PUBLIC quenby_windows quenby_ledger quenby_store quenby_yard quenby_termination)

  add_library(quenby_app STATIC
    src/app/setup.cpp
    src/app/desktop_services.cpp
    src/app/command_line.cpp
    src/app/program.cpp
  )
  quenby_room_include(quenby_app app)
  set_source_files_properties(src/app/command_line.cpp PROPERTIES
    COMPILE_DEFINITIONS QUENBY_VERSION="${PROJECT_VERSION}")
  set_source_files_properties(src/app/desktop_services.cpp PROPERTIES
    COMPILE_DEFINITIONS QUENBY_OFFICE_MODULE_DIR="${QUENBY_OFFICE_MODULE_DIR}")
  set_target_properties(quenby_app PROPERTIES AUTOMOC ON)
  target_link_libraries(quenby_app PUBLIC quenby_keeping quenby_office_loading quenby_windows quenby_yard quenby_termination)
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
