rururoro_unit_test(test_documents
  SOURCES foundation/test_documents.cpp)

rururoro_host_test(test_interposition SOURCES foundation/test_interposition.c)
add_test(NAME interposition COMMAND test_interposition)

# Only the C interface and the two model classes may leave the shared library.
add_test(NAME exported_symbols
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/install/check_exports.sh $<TARGET_FILE:rururoro> ${PROJECT_SOURCE_DIR}/include/gen_qtxmlif.h)

# Installs into a temporary prefix and builds a C consumer with CMake and with
# pkg-config. A sanitized library needs a sanitized host, so that build skips it.
if(NOT SANITIZE)
  add_test(NAME install_and_consume
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/install/consume.sh ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(install_and_consume PROPERTIES TIMEOUT 300)
endif()
