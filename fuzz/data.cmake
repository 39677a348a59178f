# Data files: Open and every read over arbitrary bytes.
add_executable(fuzz_data ${CMAKE_CURRENT_LIST_DIR}/data_fuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_exercise.cpp)
target_compile_options(fuzz_data PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_data PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_libraries(fuzz_data PRIVATE recdata)
