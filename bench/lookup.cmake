# Exact-name look-ups and plain-name extraction across archive sizes.
add_executable(bench_lookup ${CMAKE_CURRENT_SOURCE_DIR}/bench_lookup.cpp)
target_link_libraries(bench_lookup PRIVATE vell_archive_testing benchmark::benchmark)
set_target_properties(bench_lookup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
