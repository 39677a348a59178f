# Cumulative tables: a year of hourly totals of 64 channels laid out as the
# cumulative view shows them.
add_executable(bench_cumulative ${CMAKE_CURRENT_LIST_DIR}/cumulative_bench.cpp)
target_link_libraries(bench_cumulative PRIVATE tables_core benchfile benchmark::benchmark)
