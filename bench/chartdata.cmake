velmoran_add_bench(bench_chartdata LIBS velmoran_chart SQLite::SQLite3)
