# Import files: reading, decoding and listing their components on their own, and applying them to
# an open database (built twice from one source).
cs_add_fuzzer(exchange_read_fuzz SOURCES exchange_fuzz.cpp LIBS cs_exchange SEEDS fuzz_seeds)
target_compile_definitions(exchange_read_fuzz PRIVATE CS_FUZZ_IMPORT_READ_ONLY)
cs_add_fuzzer(exchange_apply_fuzz SOURCES exchange_fuzz.cpp LIBS cs_exchange SEEDS fuzz_seeds)
