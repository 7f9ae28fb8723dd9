# Extraction of a 200 MB entry (deflated and stored) against zlib / memcpy
# baselines, and its peak memory. A plain program: run bin/bench_unpack.
add_executable(bench_unpack ${CMAKE_CURRENT_SOURCE_DIR}/bench_unpack.cpp)
target_link_libraries(bench_unpack PRIVATE vell_archive_testing)
set_target_properties(bench_unpack PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
