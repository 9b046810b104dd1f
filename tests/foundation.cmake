rururoro_unit_test(test_documents
  SOURCES foundation/test_documents.cpp
  LINK rururoro_documents)
