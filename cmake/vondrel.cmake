# Build helpers shared by every folder.
#
# vondrel_library(NAME [DEPS lib...] [SYSTEM_DEPS lib...])
#   One static library vondrel_NAME from every .cpp/.c below the folder,
#   leaving out tests/ and tools/ folders.
# vondrel_tests(NAME [DEPS lib...])
#   One GoogleTest executable NAME_tests from every tests/*.cpp below the
#   folder, each test labelled NAME for ctest -L.

set(VONDREL_WARNINGS -Wall -Wextra -Werror -Wno-missing-field-initializers)
if(VONDREL_SANITIZE)
  # GCC's flow analysis reports false "maybe uninitialized" paths in
  # instrumented code (std::regex, std::function); the sanitizers and the
  # plain -Wuninitialized still catch the real ones.
  list(APPEND VONDREL_WARNINGS -Wno-maybe-uninitialized)
endif()

function(vondrel_warnings target)
  target_compile_options(${target} PRIVATE ${VONDREL_WARNINGS})
endfunction()

function(vondrel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/(tests|tools|fuzz)/")
  if(NOT srcs)
    # A folder whose modules have not landed yet still links.
    set(srcs ${CMAKE_CURRENT_BINARY_DIR}/empty_${name}.cpp)
    file(WRITE ${srcs} "")
  endif()
  add_library(vondrel_${name} STATIC ${srcs})
  target_include_directories(vondrel_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(vondrel_${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM_DEPS} Threads::Threads)
  vondrel_warnings(vondrel_${name})
endfunction()

function(vondrel_tests name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs INCLUDE REGEX "/tests/[^/]+\\.cpp$")
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  target_link_libraries(${name}_tests PRIVATE ${ARG_DEPS} vondrel_testing GTest::gtest GTest::gtest_main)
  vondrel_warnings(${name}_tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}_tests
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    # One variable per property: gtest_discover_tests flattens lists, so
    # two variables in one ENVIRONMENT value would lose the second.
    PROPERTIES LABELS ${name} TIMEOUT ${ARG_TIMEOUT}
               ENVIRONMENT "VONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}"
               ENVIRONMENT_MODIFICATION "VONDREL_SOURCE_DIR=set:${CMAKE_SOURCE_DIR}")
endfunction()

# vondrel_benchmark(NAME SOURCES... DEPS lib...)
#   A Google Benchmark executable under bench/, also run briefly by ctest
#   (label bench) so that it cannot rot.
function(vondrel_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VONDREL_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  vondrel_warnings(bench_${name})
  add_test(NAME bench_${name}_smoke
           COMMAND bench_${name} --benchmark_min_time=0.001)
  set_tests_properties(bench_${name}_smoke PROPERTIES LABELS bench TIMEOUT 300)
endfunction()
