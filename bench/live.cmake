# Live recording: appending a record and redrawing the following chart at 64
# channels, early and late in a long recording; and, against recsim, whether
# records come at the interval while the live view redraws.
add_executable(bench_live ${CMAKE_CURRENT_LIST_DIR}/live_bench.cpp
  ${CMAKE_SOURCE_DIR}/tests/link/simproc.cpp)
target_include_directories(bench_live PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_compile_definitions(bench_live PRIVATE RECVIEW_BIN_DIR="${RECVIEW_BIN_DIR}")
target_link_libraries(bench_live PRIVATE views Qt6::Test benchmark::benchmark)
add_dependencies(bench_live recsim plugins language_packages)
# The live view finds the plug-ins and the language packages beside its program.
foreach(part IO_Device Language)
  if(NOT EXISTS ${CMAKE_CURRENT_BINARY_DIR}/${part})
    file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} ${RECVIEW_BIN_DIR}/${part})
    file(CREATE_LINK ${RECVIEW_BIN_DIR}/${part} ${CMAKE_CURRENT_BINARY_DIR}/${part} SYMBOLIC)
  endif()
endforeach()
