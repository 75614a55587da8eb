// tarn_bench [benchmark flags] [--peer PATH ...] [--tarn PATH ...]: our benchmarks, plus other plug-ins for
// comparison, or another build of this one run with the same settings as ours (before/after a change).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_limiter.h"

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc)
            registerPeerBenchmark(argv[++i], false);
        else if (std::strcmp(argv[i], "--tarn") == 0 && i + 1 < argc)
            registerPeerBenchmark(argv[++i], true);
        else
            rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
