velmoran_add_bench(bench_quotes LIBS velmoran_market Qt5::Test)
target_include_directories(bench_quotes PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
