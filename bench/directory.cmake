# Directory reading against a bare walk of the central directory's bytes.
add_executable(bench_directory ${CMAKE_CURRENT_SOURCE_DIR}/bench_directory.cpp)
target_link_libraries(bench_directory PRIVATE vell_archive_testing benchmark::benchmark)
set_target_properties(bench_directory PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
