# The curve chart: a full redraw and a cursor move, for a short and a long
# recording (the cost must not depend on the length).
add_executable(bench_charts ${CMAKE_CURRENT_LIST_DIR}/charts_bench.cpp)
target_link_libraries(bench_charts PRIVATE views benchfile benchmark::benchmark)
