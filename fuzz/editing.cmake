# Decoding the clipboard blocks of another editor process.
cs_add_fuzzer(editing_clipboard_fuzz SOURCES editing_fuzz.cpp LIBS cs_editing)
