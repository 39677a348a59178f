# Settings files: arbitrary bytes read and written through the profile routines.
add_executable(fuzz_profile ${CMAKE_CURRENT_LIST_DIR}/profile_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/platform/profile.cpp ${CMAKE_SOURCE_DIR}/platform/safefile.cpp)
target_include_directories(fuzz_profile PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_profile PRIVATE -fsanitize=fuzzer,address,undefined
  -fno-sanitize-recover=undefined)
target_link_options(fuzz_profile PRIVATE -fsanitize=fuzzer,address,undefined)
