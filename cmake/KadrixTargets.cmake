# Shared build settings and helpers for every Kadrix target.

set(KADRIX_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter)
set(KADRIX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

if(KADRIX_SANITIZE)
  add_compile_options(${KADRIX_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

# kadrix_defaults(target): warnings for our own code.
function(kadrix_defaults target)
  target_compile_options(${target} PRIVATE ${KADRIX_WARNINGS})
endfunction()

# kadrix_add_test(name SOURCES ... LIBS ... [LABELS ...]): one GoogleTest binary, its cases listed
# by CTest at test time. GUI tests run on the offscreen platform.
function(kadrix_add_test name)
  if(NOT KADRIX_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  kadrix_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# kadrix_add_benchmark(name SOURCES ... LIBS ...): a Google Benchmark program; built, not run by CI.
function(kadrix_add_benchmark name)
  if(NOT KADRIX_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  kadrix_defaults(${name})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
