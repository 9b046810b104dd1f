# The C interface as a host drives it, beside plain Qt loops doing the same work,
# each side in a process of its own.
add_library(bench_host STATIC bench_inputs.cpp bench_measure.cpp bench_handouts.cpp)
target_link_libraries(bench_host PUBLIC rururoro ruziradavod Qt::Core Qt::Xml)
foreach(bench IN ITEMS bench_load bench_stream_walk)
  add_executable(${bench} ${bench}.cpp)
  target_link_libraries(${bench} PRIVATE bench_host)
endforeach()
