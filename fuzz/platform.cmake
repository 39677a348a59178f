# Settings files: arbitrary bytes read and written through the profile routines.
recview_fuzz_target(fuzz_profile ${CMAKE_CURRENT_LIST_DIR}/profile_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/platform/profile.cpp ${CMAKE_SOURCE_DIR}/platform/safefile.cpp)
