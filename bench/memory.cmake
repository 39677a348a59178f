# Peak memory of rectool's file commands as the files grow (child processes).
add_executable(bench_memory ${CMAKE_CURRENT_LIST_DIR}/memory_bench.cpp)
target_link_libraries(bench_memory PRIVATE benchfile benchmark::benchmark)
target_compile_definitions(bench_memory PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
add_dependencies(bench_memory rectool)
