# Selections and changes of the in-memory database on the 8000-slot demo database.
if(TARGET cs_database AND TARGET cs_fixtures)
  add_executable(bench_database ${CMAKE_CURRENT_LIST_DIR}/database_bench.cpp)
  target_link_libraries(bench_database PRIVATE cs_database cs_fixtures benchmark::benchmark_main)
endif()
