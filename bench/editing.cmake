# Editing commands on the demo database: deleting 4000 selected channels of the main list with
# the list refilled, pasting 1000 channels of another editor, moving 500 rows inside a list.
# Runs offscreen.
if(CS_WITH_UI)
  add_executable(bench_editing ${CMAKE_CURRENT_LIST_DIR}/editing_bench.cpp)
  target_include_directories(bench_editing PRIVATE ${CMAKE_SOURCE_DIR}/tests/views)
  target_link_libraries(bench_editing PRIVATE cs_editing_ui cs_views_ui cs_fixtures cs_settings cs_lang Qt6::Test benchmark::benchmark)
endif()
