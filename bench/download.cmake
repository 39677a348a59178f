# Download throughput against recsim on a pseudo-terminal, beside the floor
# that the protocol's fixed waits set.
add_executable(bench_download ${CMAKE_CURRENT_LIST_DIR}/download_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/link/simproc.cpp)
target_include_directories(bench_download PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_compile_definitions(bench_download PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
target_link_libraries(bench_download PRIVATE recdownload benchmark::benchmark)
add_dependencies(bench_download recsim)
