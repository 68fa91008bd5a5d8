# The chart graphics run on task stacks, which are small: every function of
# the library must keep its frame under LIMIT bytes. Included from
# chart_sdk/CMakeLists.txt, it compiles the library's sources with
# -fstack-usage and adds a test that reads the .su files; run with -P, it is
# that test.
if(CMAKE_SCRIPT_MODE_FILE)
  file(GLOB su_files "${SU_DIR}/*.su")
  if(NOT su_files)
    message(FATAL_ERROR "no stack usage files in ${SU_DIR}")
  endif()
  set(count 0)
  set(bad "")
  foreach(su IN LISTS su_files)
    file(STRINGS "${su}" lines)
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "^(.*)\t([0-9]+)\t([a-z,]+)$")
        message(FATAL_ERROR "unreadable line in ${su}: ${line}")
      endif()
      set(where "${CMAKE_MATCH_1}")
      set(bytes "${CMAKE_MATCH_2}")
      set(kind "${CMAKE_MATCH_3}")
      math(EXPR count "${count} + 1")
      if(bytes GREATER LIMIT)
        string(APPEND bad "\n  ${where}: ${bytes} bytes")
      elseif(kind MATCHES "dynamic" AND NOT kind MATCHES "bounded")
        string(APPEND bad "\n  ${where}: unbounded dynamic stack")
      endif()
    endforeach()
  endforeach()
  if(bad)
    message(FATAL_ERROR "functions over ${LIMIT} bytes of stack:${bad}")
  endif()
  message(STATUS "${count} functions within ${LIMIT} bytes of stack")
  return()
endif()

file(GLOB chart_graphics_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
set_source_files_properties(${chart_graphics_sources} PROPERTIES COMPILE_OPTIONS -fstack-usage)
add_test(NAME chart_sdk_graphics_stack_usage
         COMMAND ${CMAKE_COMMAND}
                 -DSU_DIR=${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/vondrel_chart_sdk.dir/graphics
                 -DLIMIT=16384 -P ${CMAKE_CURRENT_LIST_DIR}/stack_usage.cmake)
set_tests_properties(chart_sdk_graphics_stack_usage PROPERTIES LABELS chart_sdk)
