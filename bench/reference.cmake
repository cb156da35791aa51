# Ordering like a reference and the duplicate search on 8000 channels.
add_executable(bench_reference ${CMAKE_CURRENT_LIST_DIR}/reference_bench.cpp)
target_link_libraries(bench_reference PRIVATE cs_reference cs_database cs_fixtures benchmark::benchmark_main)
