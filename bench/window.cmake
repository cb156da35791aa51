# The whole main window with its real views on the demo database, driven as a user drives it
# (column click, filter change, tree click past its debounce, language switch, a new window to
# its filled list), each measured until the window has repainted. Runs offscreen.
if(CS_WITH_UI)
  add_executable(bench_window ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
  target_include_directories(bench_window PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
  target_link_libraries(bench_window PRIVATE cs_app_ui cs_fixtures cs_settings cs_test_support Qt6::Test
                        benchmark::benchmark)
endif()
