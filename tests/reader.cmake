rururoro_unit_test(test_reader
  SOURCES reader/test_reader.cpp)
