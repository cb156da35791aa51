# Writes the starting inputs and the dictionary of each fuzz target (see cs_add_fuzzer SEEDS).
add_executable(fuzz_seeds fuzz_seeds.cpp image_seeds.cpp satellites_xml_seeds.cpp exchange_seeds.cpp pictures_seeds.cpp ymodem_seeds.cpp reference_seeds.cpp)
target_link_libraries(fuzz_seeds PRIVATE cs_image cs_exchange cs_pictures cs_link cs_reference)
