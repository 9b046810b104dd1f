# The C interface as a host drives it, beside plain Qt loops doing the same work.
add_executable(bench_boundary bench_boundary.cpp)
target_link_libraries(bench_boundary PRIVATE rururoro ruziradavod Qt5::Core Qt5::Xml)

# Each side in a process of its own.
add_library(bench_host STATIC bench_inputs.cpp bench_measure.cpp bench_handouts.cpp)
target_link_libraries(bench_host PUBLIC rururoro ruziradavod Qt5::Core Qt5::Xml)
add_executable(bench_load bench_load.cpp)
target_link_libraries(bench_load PRIVATE bench_host)
