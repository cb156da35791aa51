# Reading, classifying and loading receiver image files, with a save and re-read of every
# database that loads.
cs_add_fuzzer(image_fuzz SOURCES image_fuzz.cpp LIBS cs_image)
