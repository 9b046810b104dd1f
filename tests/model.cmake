# The item model classes, used through librururoro.so as a host would.
rururoro_host_test(test_domitem
  SOURCES model/test_domitem.cpp
  LINK GTest::gtest GTest::gtest_main)
target_compile_definitions(test_domitem PRIVATE QT_NO_CAST_FROM_ASCII)
gtest_discover_tests(test_domitem DISCOVERY_TIMEOUT 60)

rururoro_host_test(test_dommodel
  SOURCES model/test_dommodel.cpp
  LINK nodetreemodel Qt5::Test GTest::gtest GTest::gtest_main)
target_compile_definitions(test_dommodel PRIVATE SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples")
gtest_discover_tests(test_dommodel DISCOVERY_TIMEOUT 60)

if(TARGET xmltree)
  find_package(Qt5 5.15 REQUIRED COMPONENTS Gui)
  add_executable(test_xmltree model/test_xmltree.cpp)
  target_link_libraries(test_xmltree PRIVATE Qt5::Gui GTest::gtest)
  target_compile_definitions(test_xmltree PRIVATE
    QT_NO_CAST_FROM_ASCII SAMPLES_DIR="${PROJECT_SOURCE_DIR}/samples" XMLTREE_PATH="$<TARGET_FILE:xmltree>")
  add_dependencies(test_xmltree xmltree)
  set(xmltree_env)
  if(SANITIZE)
    # Qt's offscreen platform never frees the screen it sets up when the application
    # starts; only what is allocated there is let through, every other leak still fails.
    set(suppressions ${CMAKE_CURRENT_BINARY_DIR}/xmltree-lsan.supp)
    file(WRITE ${suppressions} "leak:QGuiApplicationPrivate::createPlatformIntegration\n")
    set(xmltree_env PROPERTIES ENVIRONMENT "LSAN_OPTIONS=suppressions=${suppressions}:fast_unwind_on_malloc=0")
  endif()
  gtest_discover_tests(test_xmltree DISCOVERY_TIMEOUT 60 ${xmltree_env})
endif()
