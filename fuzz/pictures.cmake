# Picture store parsing and JPEG decoding into a picture slot.
cs_add_fuzzer(pictures_store_fuzz SOURCES pictures_fuzz.cpp LIBS cs_pictures SEEDS fuzz_seeds)
cs_add_fuzzer(pictures_jpeg_fuzz SOURCES pictures_fuzz.cpp LIBS cs_pictures SEEDS fuzz_seeds)
target_compile_definitions(pictures_jpeg_fuzz PRIVATE CS_FUZZ_PICTURE_JPEG)
