# Opening and saving the 8000-slot demo database, beside the floor of one plain read and one
# CRC-16 pass over the same file.
add_executable(bench_image ${CMAKE_CURRENT_LIST_DIR}/image_bench.cpp)
target_link_libraries(bench_image PRIVATE cs_image cs_fixtures benchmark::benchmark_main)
