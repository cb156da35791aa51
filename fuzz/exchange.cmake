# Reading import files and applying their components to an open database.
cs_add_fuzzer(exchange_fuzz SOURCES exchange_fuzz.cpp LIBS cs_exchange)
