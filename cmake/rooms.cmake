# The rooms of src/ as CMake targets. A room's headers are reached as "<room>/x.h" through a folder
# of the build tree that holds only a link <room> -> src/<room>: that folder is the room's PUBLIC
# include directory, so a room's headers are found only by the targets that link it, and an
# include of a room not linked (an arrow up, docs/ARCHITECTURE.md) fails the build.

set(QUENBY_ROOMS_DIR ${CMAKE_BINARY_DIR}/rooms)
set_property(GLOBAL PROPERTY QUENBY_CORE_SOURCES "")
set_property(GLOBAL PROPERTY QUENBY_CORE_INCLUDES "")

# quenby_room_include(<target> <room> [INTERFACE]): <target> offers the headers of src/<room>.
function(quenby_room_include target room)
  set(dir ${QUENBY_ROOMS_DIR}/${room})
  if(NOT EXISTS ${dir}/${room})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${room} ${dir}/${room} SYMBOLIC)
  endif()
  if(ARGN STREQUAL "INTERFACE")
    target_include_directories(${target} INTERFACE ${dir})
  else()
    target_include_directories(${target} PUBLIC ${dir})
  endif()
endfunction()

# quenby_core_room(<target> <room> <sources...>): a room of the core, with no Qt; the fuzzers
# compile its sources again, instrumented.
function(quenby_core_room target room)
  add_library(${target} STATIC ${ARGN})
  quenby_room_include(${target} ${room})
  set(sources)
  foreach(s ${ARGN})
    get_filename_component(abs ${s} ABSOLUTE)
    list(APPEND sources ${abs})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY QUENBY_CORE_SOURCES ${sources})
  set_property(GLOBAL APPEND PROPERTY QUENBY_CORE_INCLUDES ${QUENBY_ROOMS_DIR}/${room})
endfunction()

# quenby_calculator(<room> SPEC <function> SPEC_HEADER <file> SHEET <sources...>
#                   [WINDOW <class> WINDOW_HEADER <file> WINDOW_SOURCES <sources...>])
# A calculator, in its folder's CMakeLists.txt: its Qt-free sheet with its descriptor
# (quenby_<room>), and its window (quenby_<room>_window) when the windows are built. The build's
# lists of descriptors and of windows are made from these.
function(quenby_calculator room)
  cmake_parse_arguments(C "" "SPEC;SPEC_HEADER;WINDOW;WINDOW_HEADER" "SHEET;WINDOW_SOURCES" ${ARGN})
  quenby_core_room(quenby_${room} ${room} ${C_SHEET})
  target_link_libraries(quenby_${room} PUBLIC quenby_export)
  set_property(GLOBAL APPEND PROPERTY QUENBY_CALCULATOR_SPECS "${room}/${C_SPEC_HEADER}|${C_SPEC}")
  if(C_WINDOW AND TARGET quenby_shell)
    add_library(quenby_${room}_window STATIC ${C_WINDOW_SOURCES})
    set_target_properties(quenby_${room}_window PROPERTIES AUTOMOC ON)
    target_link_libraries(quenby_${room}_window PUBLIC quenby_${room} quenby_shell)
    set_property(GLOBAL APPEND PROPERTY QUENBY_CALCULATOR_WINDOWS "${room}/${C_WINDOW_HEADER}|${C_WINDOW}|${C_SPEC}|${room}/${C_SPEC_HEADER}")
  endif()
endfunction()

# The list of descriptors (quenby_calculator_list, no Qt) and, with the windows, the list that
# pairs each with its window (calculator_windows.cpp, for the application), in the order of
# QUENBY_CALCULATORS.
function(quenby_calculator_lists)
  get_property(specs GLOBAL PROPERTY QUENBY_CALCULATOR_SPECS)
  set(includes "#include \"sheet/calculator_spec.h\"\n")
  set(entries "")
  foreach(s ${specs})
    string(REPLACE "|" ";" parts "${s}")
    list(GET parts 0 header)
    list(GET parts 1 function)
    string(APPEND includes "#include \"${header}\"\n")
    string(APPEND entries "      &${function}(),\n")
  endforeach()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/calculator_list.cpp CONTENT
"// Generated from QUENBY_CALCULATORS (CMakeLists.txt): edit that list.
${includes}
namespace quenby {

const std::vector<const CalculatorSpec*>& calculatorList() {
  static const std::vector<const CalculatorSpec*> list{
${entries}  };
  return list;
}

}  // namespace quenby
")
  add_library(quenby_calculator_list STATIC ${CMAKE_BINARY_DIR}/generated/calculator_list.cpp)
  foreach(room ${QUENBY_CALCULATORS})
    target_link_libraries(quenby_calculator_list PUBLIC quenby_${room})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY QUENBY_CORE_SOURCES ${CMAKE_BINARY_DIR}/generated/calculator_list.cpp)

  get_property(windows GLOBAL PROPERTY QUENBY_CALCULATOR_WINDOWS)
  if(NOT windows)
    return()
  endif()
  set(includes "#include \"windows/calculator_windows.h\"\n")
  set(entries "")
  foreach(w ${windows})
    string(REPLACE "|" ";" parts "${w}")
    list(GET parts 0 header)
    list(GET parts 1 class)
    list(GET parts 2 function)
    list(GET parts 3 spec_header)
    string(APPEND includes "#include \"${spec_header}\"\n#include \"${header}\"\n")
    string(APPEND entries "      {&${function}(), app::makeWindow<${class}>},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/calculator_windows.cpp CONTENT
"// Generated from QUENBY_CALCULATORS (CMakeLists.txt): edit that list.
${includes}
namespace quenby::app {

const std::vector<CalculatorWindow>& calculatorWindows() {
  static const std::vector<CalculatorWindow> list{
${entries}  };
  return list;
}

}  // namespace quenby::app
")
endfunction()
