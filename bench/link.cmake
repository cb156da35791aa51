# YModem sending speed: this engine and lrzsz's sb, each to lrzsz's rb through the simulated
# receiver's relay, unthrottled and on a 115200-baud line (11520 bytes/s each way).
add_executable(bench_link ${CMAKE_CURRENT_LIST_DIR}/link_bench.cpp ${CMAKE_SOURCE_DIR}/tests/link/pty_peer.cpp)
target_include_directories(bench_link PRIVATE ${CMAKE_SOURCE_DIR}/tests/link)
target_link_libraries(bench_link PRIVATE cs_link cs_link_peers benchmark::benchmark util)
