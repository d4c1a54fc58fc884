# The UNO headers, the LibreOffice host (quenby_office, in src/office) and the bill workbook template.
#
# The com::sun::star headers are generated into the build tree with the SDK's cppumaker; the
# template is converted from its flat ODF source to Excel 97 by a private headless office.

set(QUENBY_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
set(QUENBY_LO_PROGRAM /usr/lib/libreoffice/program CACHE PATH "LibreOffice program directory")
set(QUENBY_LO_SDK /usr/lib/libreoffice/sdk CACHE PATH "LibreOffice SDK directory")

find_program(QUENBY_CPPUMAKER cppumaker HINTS ${QUENBY_LO_SDK}/bin NO_DEFAULT_PATH)
find_program(QUENBY_SOFFICE soffice HINTS ${QUENBY_LO_PROGRAM})
if(NOT QUENBY_CPPUMAKER OR NOT EXISTS ${QUENBY_LO_SDK}/include/sal/config.h)
  message(STATUS "LibreOffice SDK not found (libreoffice-dev): the office host and the bill template are not built")
  return()
endif()

# --- UNO headers -------------------------------------------------------------------------------
set(QUENBY_UNO_HEADERS ${CMAKE_BINARY_DIR}/uno-headers)
set(QUENBY_UNO_TYPES ${QUENBY_LO_PROGRAM}/types.rdb ${QUENBY_LO_PROGRAM}/types/offapi.rdb)
add_custom_command(
  OUTPUT ${QUENBY_UNO_HEADERS}/stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUENBY_UNO_HEADERS}/com
  COMMAND ${QUENBY_CPPUMAKER} -Gc -O${QUENBY_UNO_HEADERS} ${QUENBY_UNO_TYPES}
  COMMAND ${CMAKE_COMMAND} -E touch ${QUENBY_UNO_HEADERS}/stamp
  DEPENDS ${QUENBY_UNO_TYPES}
  COMMENT "Generating the UNO C++ headers"
  VERBATIM)
add_custom_target(quenby_uno_headers DEPENDS ${QUENBY_UNO_HEADERS}/stamp)

# quenby_uno: what code that speaks UNO itself compiles with (the host, and the tests' workbook
# reader). Users of the host see only the standard library.
add_library(quenby_uno INTERFACE)
add_dependencies(quenby_uno quenby_uno_headers)
target_include_directories(quenby_uno SYSTEM INTERFACE ${QUENBY_UNO_HEADERS} ${QUENBY_LO_SDK}/include)
target_compile_definitions(quenby_uno INTERFACE LINUX UNX CPPU_ENV=gcc3
  QUENBY_LO_PROGRAM="${QUENBY_LO_PROGRAM}")

# --- the host ----------------------------------------------------------------------------------
add_subdirectory(${QUENBY_ROOT}/src/office ${CMAKE_BINARY_DIR}/src/office)

# --- the bill workbook template ----------------------------------------------------------------
set(QUENBY_BILL_NAME "账单明细.xls")
set(QUENBY_BILL_TEMPLATE ${CMAKE_BINARY_DIR}/resources/${QUENBY_BILL_NAME})
if(QUENBY_SOFFICE)
  add_custom_command(
    OUTPUT ${QUENBY_BILL_TEMPLATE}
    COMMAND ${CMAKE_COMMAND}
      -DSOFFICE=${QUENBY_SOFFICE}
      -DSOURCE=${QUENBY_ROOT}/resources/bill_template.fods
      -DOUTPUT=${QUENBY_BILL_TEMPLATE}
      -DPROFILE=${CMAKE_BINARY_DIR}/resources/office-profile
      -DSEED=${QUENBY_ROOT}/src/office/profile_seed.xcu
      -P ${QUENBY_ROOT}/cmake/convert_template.cmake
    DEPENDS ${QUENBY_ROOT}/resources/bill_template.fods ${QUENBY_ROOT}/cmake/convert_template.cmake
      ${QUENBY_ROOT}/src/office/profile_seed.xcu
    COMMENT "Converting the bill workbook template to Excel 97"
    VERBATIM)
  add_custom_target(bill_template ALL DEPENDS ${QUENBY_BILL_TEMPLATE})
  install(FILES ${QUENBY_BILL_TEMPLATE} DESTINATION ${CMAKE_INSTALL_DATADIR}/quenby)
else()
  message(STATUS "soffice not found: the bill template is not built")
endif()

# --- round-trip benchmark --------------------------------------------------------------------
find_package(benchmark QUIET)
if(benchmark_FOUND AND TARGET bill_template)
  add_executable(office_roundtrip_bench ${QUENBY_ROOT}/bench/office_roundtrip_bench.cpp)
  target_link_libraries(office_roundtrip_bench PRIVATE quenby_office quenby_core benchmark::benchmark)
  add_dependencies(office_roundtrip_bench bill_template)
endif()
