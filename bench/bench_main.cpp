// tarn_bench [benchmark flags] [--peer PATH ...] [--tarn PATH ...] [--lv2-peer URI [--lv2-set SYMBOL=VALUE ...]
// ...] [--lanes 2|4|8]: our benchmarks, plus other plug-ins for comparison (VST 2.4 by path, LV2 by URI with
// control inputs set by symbol), or another build of this one run with the same settings as ours
// (before/after a change). --lanes keeps the limiter's vector passes linked into this program (the kernel,
// its stages and TarnProcessReplacing, not the LV2 bundle, which has its own copy) to at most that width,
// so the paths of processors without AVX-512 or AVX2 can be timed here too; the true-peak detector's too.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_limiter.h"
#include "bench/bench_lv2.h"
#include "limiter/InterSamplePeak.h"
#include "limiter/VectorPasses.h"

namespace {

struct Lv2PeerRequest {
    std::string uri;
    std::vector<Lv2Peer::Setting> settings;
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    std::vector<Lv2PeerRequest> lv2Peers;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc)
            registerPeerBenchmark(argv[++i], false);
        else if (std::strcmp(argv[i], "--tarn") == 0 && i + 1 < argc)
            registerPeerBenchmark(argv[++i], true);
        else if (std::strcmp(argv[i], "--lv2-peer") == 0 && i + 1 < argc)
            lv2Peers.push_back({argv[++i], {}});
        else if (std::strcmp(argv[i], "--lv2-set") == 0 && i + 1 < argc) {
            // Applies to the --lv2-peer before it.
            Lv2Peer::Setting setting;
            if (lv2Peers.empty() || !Lv2Peer::parseSetting(argv[i + 1], setting)) {
                std::fprintf(stderr, "--lv2-set %s: expected SYMBOL=VALUE after an --lv2-peer URI\n", argv[i + 1]);
                return 2;
            }
            lv2Peers.back().settings.push_back(setting);
            ++i;
        } else if (std::strcmp(argv[i], "--lanes") == 0 && i + 1 < argc) {
            const int lanes = std::atoi(argv[++i]);
            if (lanes != 2 && lanes != 4 && lanes != 8) {
                std::fprintf(stderr, "--lanes %s: expected 2, 4 or 8\n", argv[i]);
                return 2;
            }
            if (lanes > VectorPasses::widestLanes())
                std::fprintf(stderr, "--lanes %d: this processor offers %d at most\n", lanes,
                             VectorPasses::widestLanes());
            VectorPasses::allowFours(lanes >= 4);
            VectorPasses::allowEights(lanes >= 8);
            InterSamplePeak::limitWidth(2 * lanes);  // the true-peak detector's sums, as wide in floats
        } else
            rest.push_back(argv[i]);
    }
    for (const Lv2PeerRequest& peer : lv2Peers)
        registerLv2PeerBenchmark(peer.uri, peer.settings);
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
