# The C interface as a host drives it, beside plain Qt loops doing the same work.
add_executable(bench_boundary bench_boundary.cpp)
target_link_libraries(bench_boundary PRIVATE rururoro ruziradavod Qt5::Core Qt5::Xml)
