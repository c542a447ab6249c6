velmoran_add_bench(bench_idle LIBS velmoran_chart_indicators velmoran_chart velmoran_trading velmoran_market
  velmoran_demo_server Qt5::Test)
target_include_directories(bench_idle PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
target_compile_definitions(bench_idle PRIVATE VELMORAN_PLUGIN_DIR="${VELMORAN_PLUGIN_DIR}")
add_dependencies(bench_idle ku_mainlink1 ku_sparelink1)
