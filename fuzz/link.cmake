# The YModem receive path: the far end's byte stream fed to the engine over an in-memory port.
cs_add_fuzzer(ymodem_receive_fuzz SOURCES ymodem_receive_fuzz.cpp LIBS cs_link SEEDS fuzz_seeds)
