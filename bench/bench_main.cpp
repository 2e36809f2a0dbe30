// SPDX-License-Identifier: MIT
// The benchmarks run with the memory settings of the program itself, so
// that a frame costs here what it costs in the saver.
#include <benchmark/benchmark.h>

#include "platform/memory_tuning.h"

int main(int argc, char** argv) {
    hg::keepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
