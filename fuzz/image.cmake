# The image layer in three targets, each fast enough to search deep: the header and the
# classification of small inputs, each area on its own over a valid template, and the save round
# trip of whole files.
cs_add_fuzzer(image_header_fuzz SOURCES image_header_fuzz.cpp LIBS cs_image SEEDS fuzz_seeds)
cs_add_fuzzer(image_areas_fuzz SOURCES image_areas_fuzz.cpp LIBS cs_image SEEDS fuzz_seeds)
cs_add_fuzzer(image_save_fuzz SOURCES image_save_fuzz.cpp LIBS cs_image SEEDS fuzz_seeds)
# satellites.xml through expat, and the merge of what it lists into the transponder table.
cs_add_fuzzer(satellites_xml_fuzz SOURCES satellites_xml_fuzz.cpp LIBS cs_image SEEDS fuzz_seeds)
