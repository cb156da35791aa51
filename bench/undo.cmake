# Undo on the demo database: recording the step of erasing every channel of the main list and of
# renaming one channel (time and memory of the step), and undoing the largest step with the tree
# and the list refilled. Runs offscreen.
if(CS_WITH_UI)
  add_executable(bench_undo ${CMAKE_CURRENT_LIST_DIR}/undo_bench.cpp)
  target_include_directories(bench_undo PRIVATE ${CMAKE_SOURCE_DIR}/tests/views)
  target_link_libraries(bench_undo PRIVATE cs_undo cs_views_ui cs_fixtures cs_settings cs_lang Qt6::Test benchmark::benchmark)
endif()
