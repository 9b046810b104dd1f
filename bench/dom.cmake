add_executable(bench_dom bench_dom.cpp bench_inputs.cpp)
target_link_libraries(bench_dom PRIVATE rururoro_internal)
