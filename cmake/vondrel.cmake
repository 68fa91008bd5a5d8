# Build helpers shared by every folder.
#
# vondrel_library(NAME [DEPS lib...] [SYSTEM_DEPS lib...] [EXCLUDE file...])
#   One static library vondrel_NAME from every .cpp/.c below the folder,
#   leaving out tests/, tools/ and fuzz/ folders and the files named. Its
#   vondrel_* dependencies must follow the layer order (cmake/layers.cmake);
#   vondrel_check_library_layers() fails the configuration otherwise.
# vondrel_tests(NAME [DEPS lib...] [TIMEOUT seconds] [TSAN])
#   One GoogleTest executable NAME_tests from every tests/*.cpp below the
#   folder, each test labelled NAME for ctest -L. A folder whose tests run
#   tasks or threads passes TSAN: the ThreadSanitizer tree (VONDREL_TSAN)
#   then builds its tests (target vondrel_tsan_targets) and labels them
#   NAME-tsan (selected by ctest -L NAME and by ctest -L tsan); that tree
#   leaves out the tests of every other folder.

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

include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

function(vondrel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  list(FILTER srcs EXCLUDE REGEX "/(tests|tools|fuzz)/")
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  foreach(dep IN LISTS ARG_DEPS)
    if(dep MATCHES "^vondrel_(.+)$")
      set_property(GLOBAL APPEND PROPERTY VONDREL_LIBRARY_EDGES "${name}>${CMAKE_MATCH_1}")
    endif()
  endforeach()
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

# Fails the configuration, naming each offending pair, when a library's
# declared dependencies go up a layer or round a cycle within one layer.
function(vondrel_check_library_layers)
  get_property(edges GLOBAL PROPERTY VONDREL_LIBRARY_EDGES)
  vondrel_layer_violations("${edges}" messages)
  if(messages)
    foreach(m IN LISTS messages)
      message(SEND_ERROR "layer violation in declared dependencies: ${m}")
    endforeach()
    message(FATAL_ERROR "library dependencies go against the layer order (cmake/layers.cmake)")
  endif()
endfunction()

if(VONDREL_TSAN AND NOT TARGET vondrel_tsan_targets)
  add_custom_target(vondrel_tsan_targets)
endif()

function(vondrel_tests name)
  cmake_parse_arguments(ARG "TSAN" "TIMEOUT" "DEPS" ${ARGN})
  if(VONDREL_TSAN AND NOT ARG_TSAN)
    return()
  endif()
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
  set(label ${name})
  if(VONDREL_TSAN)
    add_dependencies(vondrel_tsan_targets ${name}_tests)
    # One label that both ctest -L NAME and ctest -L tsan select (-L takes
    # a regular expression): gtest_discover_tests would flatten a list of
    # labels, and ctest drops a folder's labels from tests that run in
    # another working directory.
    set(label ${name}-tsan)
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 4")
  endif()
  gtest_discover_tests(${name}_tests
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    # One variable per property: gtest_discover_tests flattens lists, so
    # two variables in one ENVIRONMENT value would lose the second.
    PROPERTIES LABELS ${label} TIMEOUT ${ARG_TIMEOUT}
               ENVIRONMENT "VONDREL_BINARY_DIR=${CMAKE_BINARY_DIR}"
               ENVIRONMENT_MODIFICATION "VONDREL_SOURCE_DIR=set:${CMAKE_SOURCE_DIR}")
endfunction()

# vondrel_benchmark(NAME SOURCES... DEPS lib...)
#   A Google Benchmark executable under bench/, also run briefly by ctest
#   (label bench) so that it cannot rot. The target vondrel_bench_targets
#   builds every benchmark and only what they link (make bench, and the
#   Release tree that make test builds).
if(VONDREL_BENCH)
  add_custom_target(vondrel_bench_targets)
endif()

function(vondrel_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VONDREL_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(bench_${name} ${ARG_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  vondrel_warnings(bench_${name})
  add_dependencies(vondrel_bench_targets bench_${name})
  add_test(NAME bench_${name}_smoke
           COMMAND bench_${name} --benchmark_min_time=0.001)
  set_tests_properties(bench_${name}_smoke PROPERTIES LABELS bench TIMEOUT 300)
endfunction()

# vondrel_fuzz(NAME SOURCES... DEPS lib...)
#   A libFuzzer target fuzz_NAME. It is built only in a clang tree configured
#   with VONDREL_FUZZ=ON (make test keeps one in build-fuzz/ and builds just
#   the target vondrel_fuzz_targets there). ctest runs each target under the
#   label fuzz for VONDREL_FUZZ_SECONDS seconds (environment, default 5),
#   growing a corpus in the build tree from the seed inputs kept in the
#   folder's fuzz/corpus/NAME/.
option(VONDREL_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(VONDREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VONDREL_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  # Every library a target links is instrumented for coverage; the gcc tree
  # is the one that holds warnings to errors.
  add_compile_options(-fsanitize=fuzzer-no-link)
  # Tables that gcc computes at compile time need more steps than clang's
  # default allows.
  add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fconstexpr-steps=100000000>)
  list(REMOVE_ITEM VONDREL_WARNINGS -Werror -Wno-maybe-uninitialized)
  add_custom_target(vondrel_fuzz_targets)
endif()

function(vondrel_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT VONDREL_FUZZ)
    return()
  endif()
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_DEPS})
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  vondrel_warnings(fuzz_${name})
  add_dependencies(vondrel_fuzz_targets fuzz_${name})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/fuzz_${name}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  set(dirs ${corpus})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
    list(APPEND dirs ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
  endif()
  add_test(NAME fuzz_${name}
           COMMAND sh -c "exec \"$0\" -max_total_time=\${VONDREL_FUZZ_SECONDS:-5} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \"$@\""
                   $<TARGET_FILE:fuzz_${name}> ${dirs})
  set_tests_properties(fuzz_${name} PROPERTIES LABELS fuzz)
endfunction()
