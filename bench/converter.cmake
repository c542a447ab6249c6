velmoran_add_bench(bench_converter LIBS velmoran_core msgpackc SQLite::SQLite3)
