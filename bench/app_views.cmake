# The main window's views on 8000 channels: the refill of the list after a tree selection has
# waited out its debounce, and a column sort. Runs offscreen.
if(TARGET cs_app_ui AND TARGET cs_fixtures)
  add_executable(bench_app_views ${CMAKE_CURRENT_LIST_DIR}/app_views_bench.cpp)
  target_include_directories(bench_app_views PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
  target_link_libraries(bench_app_views PRIVATE cs_app_ui cs_fixtures Qt6::Test benchmark::benchmark)
endif()
