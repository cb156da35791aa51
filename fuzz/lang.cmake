# External language files: decoding, section check and text lookup.
cs_add_fuzzer(lang_file_fuzz SOURCES lang_fuzz.cpp LIBS cs_lang)
