# Restoring a docking state from bytes of the user's settings file.
# The docking sources are built again with coverage so the fuzzer can see into them.
get_target_property(fuzz_docking_sources velmoran_docking SOURCES)
add_library(velmoran_docking_fuzz STATIC ${fuzz_docking_sources})
target_include_directories(velmoran_docking_fuzz PUBLIC $<TARGET_PROPERTY:velmoran_docking,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(velmoran_docking_fuzz PUBLIC Qt5::Core Qt5::Gui Qt5::Widgets)
target_compile_options(velmoran_docking_fuzz PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
velmoran_add_fuzzer(fuzz_docking LIBS velmoran_docking_fuzz)
