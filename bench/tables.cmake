# Spreadsheet export and statistics over a 262144-record x 64-channel file,
# with libxlsxwriter alone writing the same cells for comparison.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
add_executable(bench_tables ${CMAKE_CURRENT_LIST_DIR}/tables_bench.cpp)
target_link_libraries(bench_tables PRIVATE tables_core recdata benchfile PkgConfig::BENCH_XLSXWRITER benchmark::benchmark)
