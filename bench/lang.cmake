# Language list start-up and text lookup.
add_executable(bench_lang ${CMAKE_CURRENT_LIST_DIR}/lang_bench.cpp)
target_link_libraries(bench_lang PRIVATE cs_lang benchmark::benchmark_main)
