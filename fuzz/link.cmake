# Replies the link checks, and requests recsim answers: whatever arrives on
# the line must never read or write outside its buffers.
set(_fuzz_flags -fsanitize=fuzzer,address,undefined)

add_executable(fuzz_link_replies ${CMAKE_CURRENT_LIST_DIR}/link_replies_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/link/frames.cpp)
target_include_directories(fuzz_link_replies PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(fuzz_link_replies PRIVATE ${_fuzz_flags})
target_link_options(fuzz_link_replies PRIVATE ${_fuzz_flags})

set(_recsim ${CMAKE_SOURCE_DIR}/tools/recsim)
add_executable(fuzz_recsim_requests ${CMAKE_CURRENT_LIST_DIR}/recsim_requests_fuzz.cpp
  ${_recsim}/recorder.cpp ${_recsim}/regmap.cpp ${_recsim}/blockmap.cpp ${_recsim}/framing.cpp
  ${_recsim}/faults.cpp ${_recsim}/server.cpp ${_recsim}/demo.cpp
  ${CMAKE_SOURCE_DIR}/link/frames.cpp)
target_include_directories(fuzz_recsim_requests PRIVATE ${CMAKE_SOURCE_DIR} ${_recsim})
target_compile_options(fuzz_recsim_requests PRIVATE ${_fuzz_flags})
target_link_options(fuzz_recsim_requests PRIVATE ${_fuzz_flags})
target_link_libraries(fuzz_recsim_requests PRIVATE platform)
