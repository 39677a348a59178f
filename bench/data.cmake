# Data files: GetValue over a whole recording, Open of small and large files.
add_executable(bench_data ${CMAKE_CURRENT_LIST_DIR}/data_bench.cpp)
target_link_libraries(bench_data PRIVATE recdata benchfile benchmark::benchmark)
