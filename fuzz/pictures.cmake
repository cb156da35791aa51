# Picture store parsing and JPEG decoding into a picture slot.
cs_add_fuzzer(pictures_store_fuzz SOURCES pictures_fuzz.cpp LIBS cs_pictures)
cs_add_fuzzer(pictures_jpeg_fuzz SOURCES pictures_fuzz.cpp LIBS cs_pictures)
target_compile_definitions(pictures_jpeg_fuzz PRIVATE CS_FUZZ_PICTURE_JPEG)

# Starting inputs, written into both corpora before the fuzzers run.
add_executable(pictures_fuzz_seeds pictures_fuzz_seeds.cpp)
target_link_libraries(pictures_fuzz_seeds PRIVATE cs_pictures)
add_test(NAME pictures_fuzz_seeds
  COMMAND pictures_fuzz_seeds ${CMAKE_CURRENT_BINARY_DIR}/pictures_store_fuzz_corpus
          ${CMAKE_CURRENT_BINARY_DIR}/pictures_jpeg_fuzz_corpus)
set_tests_properties(pictures_fuzz_seeds PROPERTIES LABELS fuzz FIXTURES_SETUP pictures_fuzz_corpus)
set_tests_properties(pictures_store_fuzz pictures_jpeg_fuzz PROPERTIES FIXTURES_REQUIRED pictures_fuzz_corpus)
