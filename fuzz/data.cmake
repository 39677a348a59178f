# Data files: Open and every read over arbitrary bytes. The data sources are
# compiled into the target so that the fuzzer sees their coverage.
recview_fuzz_target(fuzz_data ${CMAKE_CURRENT_LIST_DIR}/data_fuzz.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_exercise.cpp
  ${CMAKE_SOURCE_DIR}/data/cxfile.cpp ${CMAKE_SOURCE_DIR}/data/filehandles.cpp ${CMAKE_SOURCE_DIR}/data/records.cpp)
target_link_libraries(fuzz_data PRIVATE platform)

# TIME arguments of rectool.
recview_fuzz_target(fuzz_time ${CMAKE_CURRENT_LIST_DIR}/time_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/data/records.cpp ${CMAKE_SOURCE_DIR}/platform/localtime.cpp)
target_link_libraries(fuzz_time PRIVATE platform)

# The cumulative tables over arbitrary bytes opened as a cumulative file.
recview_fuzz_target(fuzz_cumtable ${CMAKE_CURRENT_LIST_DIR}/cumtable_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/tables/cumtable.cpp
  ${CMAKE_SOURCE_DIR}/data/cxfile.cpp ${CMAKE_SOURCE_DIR}/data/filehandles.cpp ${CMAKE_SOURCE_DIR}/data/records.cpp)
target_link_libraries(fuzz_cumtable PRIVATE tables_core platform)
