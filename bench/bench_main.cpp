// tarn_bench [benchmark flags] [--peer PATH ...]: our benchmarks, plus other plug-ins for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_limiter.h"

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc)
            registerPeerBenchmark(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
