# Start of the desktop program to its first mapped window against a plain Qt window of the same
# size of list, on one X server (bench/window_start_bench.sh runs them).
if(CS_WITH_UI)
  add_executable(bench_map_watch ${CMAKE_CURRENT_LIST_DIR}/start/map_watch.c)
  target_link_libraries(bench_map_watch PRIVATE xcb)
  add_executable(bench_plain_window ${CMAKE_CURRENT_LIST_DIR}/start/plain_window.cpp)
  target_link_libraries(bench_plain_window PRIVATE Qt6::Widgets)
  add_executable(bench_seed_settings ${CMAKE_CURRENT_LIST_DIR}/start/seed_settings.cpp)
  target_link_libraries(bench_seed_settings PRIVATE cs_settings_qt cs_settings)
endif()
