# The recorder link against recsim on a pseudo-terminal: time per exchange
# beyond the fixed waits of the protocol.
add_executable(bench_link ${CMAKE_CURRENT_LIST_DIR}/link_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/link/simproc.cpp)
target_include_directories(bench_link PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_compile_definitions(bench_link PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
target_link_libraries(bench_link PRIVATE reclink benchmark::benchmark)
add_dependencies(bench_link recsim)
