rururoro_unit_test(test_dom
  SOURCES dom/test_dom.cpp dom/test_dom_hostile.cpp)
