# The main window's views on 8000 channels: the refill of the list after a tree selection has
# waited out its debounce, and a column sort. Runs offscreen.
if(CS_WITH_UI)
  add_executable(bench_views ${CMAKE_CURRENT_LIST_DIR}/views_bench.cpp)
  target_include_directories(bench_views PRIVATE ${CMAKE_SOURCE_DIR}/tests/views)
  target_link_libraries(bench_views PRIVATE cs_views_ui cs_fixtures cs_settings cs_lang Qt6::Test benchmark::benchmark)
endif()
