# The record list: a full screen of rows for a short and a long recording
# (the cost must not depend on the length), copying a large selection, and a
# search over a whole long file.
add_executable(bench_list ${CMAKE_CURRENT_LIST_DIR}/list_bench.cpp)
target_link_libraries(bench_list PRIVATE tables benchfile benchmark::benchmark)
target_compile_definitions(bench_list PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
