# Selections and changes of the in-memory database on the 8000-slot demo database.
add_executable(bench_database ${CMAKE_CURRENT_LIST_DIR}/database_bench.cpp)
target_link_libraries(bench_database PRIVATE cs_database cs_fixtures benchmark::benchmark_main)
