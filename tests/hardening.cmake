# Hostile input through the C interface, as a host meets it: huge markup, text
# in odd encodings, paths that are not plain files; then stress, a slow walk of a
# 3 GiB file, and leak checks under valgrind. Big inputs are generated into scratch directories at test time.
set(hardening_support boundary/test_load_support.cpp)
set(hardening_includes ${CMAKE_CURRENT_SOURCE_DIR}/boundary ${PROJECT_SOURCE_DIR}/gen/gen_qtxmlman/input)

rururoro_host_test(test_hardening
  SOURCES hardening/test_text.cpp hardening/test_sizes.cpp hardening/test_paths.cpp hardening/test_fuzz_findings.cpp
          ${hardening_support}
  LINK GTest::gtest GTest::gtest_main)
target_include_directories(test_hardening PRIVATE ${hardening_includes})
# The timeout is the hang guard; how fast each case is goes in docs/robustness.md.
gtest_discover_tests(test_hardening DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
  PROPERTIES ENVIRONMENT QT_HASH_SEED=0 TIMEOUT 180 LABELS hardening)

# The full count is a manual run: `hardening_stress 100000`.
rururoro_host_test(hardening_stress SOURCES hardening/stress.cpp ${hardening_support} LINK GTest::gtest)
target_include_directories(hardening_stress PRIVATE ${hardening_includes})
add_test(NAME hardening_stress COMMAND hardening_stress 10000)
set_tests_properties(hardening_stress PROPERTIES TIMEOUT 900 LABELS hardening)

# Runs only when asked for: `ctest -C Slow -L slow`.
rururoro_host_test(hardening_huge_stream SOURCES hardening/huge_stream.cpp ${hardening_support} LINK GTest::gtest)
target_include_directories(hardening_huge_stream PRIVATE ${hardening_includes})
add_test(NAME hardening_huge_stream CONFIGURATIONS Slow COMMAND hardening_huge_stream)
set_tests_properties(hardening_huge_stream PROPERTIES TIMEOUT 3600 LABELS slow)

# Every executable that uses the C interface as a host, once more under
# valgrind. Sanitizer builds are checked by their own runtime instead.
find_program(VALGRIND_COMMAND valgrind)
if(VALGRIND_COMMAND AND NOT SANITIZE)
  set(valgrind_run ${VALGRIND_COMMAND} --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=1)
  get_property(test_targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS test_targets)
    get_target_property(type ${target} TYPE)
    get_target_property(links ${target} LINK_LIBRARIES)
    if(NOT type STREQUAL "EXECUTABLE" OR NOT "rururoro" IN_LIST links OR target STREQUAL "hardening_huge_stream")
      continue()
    endif()
    set(arguments)
    if(target STREQUAL "test_hardening")
      # Hundreds of megabytes under valgrind take too long; the plain and
      # sanitizer runs cover those.
      set(arguments --gtest_filter=-*.Big*)
    elseif(target STREQUAL "hardening_stress")
      set(arguments 100)
    endif()
    add_test(NAME valgrind_${target} COMMAND ${valgrind_run} $<TARGET_FILE:${target}> ${arguments})
    set_tests_properties(valgrind_${target} PROPERTIES ENVIRONMENT QT_HASH_SEED=0 TIMEOUT 1200 LABELS valgrind)
  endforeach()
endif()
