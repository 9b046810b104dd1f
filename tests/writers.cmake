rururoro_unit_test(test_writers
  SOURCES writers/test_stream_writer.cpp writers/test_document_writers.cpp writers/test_save_target.cpp)
