velmoran_add_fuzzer(fuzz_converter LIBS velmoran_core)
# Coverage and sanitizers inside the decoder and builders the target drives.
target_compile_options(velmoran_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
target_link_options(velmoran_core PRIVATE -fsanitize=address,undefined)
