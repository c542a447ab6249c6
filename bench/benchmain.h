#pragma once

#include <benchmark/benchmark.h>

// The end of each benchmark program's main: its own set-up done, run what the command line names.
inline int runBenchmarks(int* argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr)
{
    benchmark::Initialize(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(*argc, argv))
        return 1;
    if (reporter)
        benchmark::RunSpecifiedBenchmarks(reporter);
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
