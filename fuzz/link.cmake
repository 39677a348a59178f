# Replies the link checks, and requests recsim answers: whatever arrives on
# the line must never read or write outside its buffers.
recview_fuzz_target(fuzz_link_replies ${CMAKE_CURRENT_LIST_DIR}/link_replies_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/link/frames.cpp)

set(_recsim ${CMAKE_SOURCE_DIR}/tools/recsim)
recview_fuzz_target(fuzz_recsim_requests ${CMAKE_CURRENT_LIST_DIR}/recsim_requests_fuzz.cpp
  ${_recsim}/recorder.cpp ${_recsim}/clock.cpp ${_recsim}/regmap.cpp ${_recsim}/blockmap.cpp ${_recsim}/framing.cpp
  ${_recsim}/faults.cpp ${_recsim}/server.cpp ${_recsim}/demo.cpp
  ${CMAKE_SOURCE_DIR}/link/frames.cpp)
target_include_directories(fuzz_recsim_requests PRIVATE ${_recsim})
target_link_libraries(fuzz_recsim_requests PRIVATE platform)
