# Channel lists (CSV) given as a reference to order by.
cs_add_fuzzer(reference_csv_fuzz SOURCES reference_fuzz.cpp LIBS cs_reference SEEDS fuzz_seeds)
