# Printed curves: a range of 262144 records (132 pages) to PDF, and one page.
add_executable(bench_print ${CMAKE_CURRENT_LIST_DIR}/print_bench.cpp)
target_link_libraries(bench_print PRIVATE chartprint benchfile benchmark::benchmark)
target_compile_definitions(bench_print PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
add_dependencies(bench_print language_packages)

# The circular channel report: 31 days at 60 s (44640 points) drawn on screen.
add_executable(bench_circular ${CMAKE_CURRENT_LIST_DIR}/circular_bench.cpp)
target_link_libraries(bench_circular PRIVATE chartprint benchmark::benchmark)
target_compile_definitions(bench_circular PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
add_dependencies(bench_circular language_packages)
