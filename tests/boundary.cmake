# The C interface used through librururoro.so as a host would, with the
# recording support functions.
rururoro_host_test(test_boundary
  SOURCES boundary/test_documents.cpp boundary/test_walk.cpp boundary/test_load_char_flag.c
          boundary/test_load_support.cpp
  LINK GTest::gtest GTest::gtest_main)
gtest_discover_tests(test_boundary DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT QT_HASH_SEED=0)

# A host written in C99 takes every document kind through its life (valgrind
# watches it with the other hosts, see hardening.cmake).
rururoro_host_test(life_c99 SOURCES boundary/life_c99.c)
set_target_properties(life_c99 PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
add_test(NAME life_c99 COMMAND life_c99)
