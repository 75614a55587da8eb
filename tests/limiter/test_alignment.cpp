// Types holding SSE data land on their alignment wherever they are made. The compiler reads and writes
// their members with instructions that fault on a misaligned address, and 32-bit Windows' heap gives
// only 8-byte alignment: a `new` that does not ask for more crashes now and then, depending on what
// the heap held before.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <vector>

#include "limiter/Lanes.h"
#include "limiter/Limiter.h"
#include "limiter/LimiterKernel.h"

namespace {

constexpr int rounds = 48;

template <typename T> bool aligned(const T* p) { return reinterpret_cast<std::uintptr_t>(p) % alignof(T) == 0; }

// Odd-sized blocks kept alive between the objects, so the objects start at varied heap offsets.
struct HeapNoise {
    std::vector<std::unique_ptr<char[]>> blocks;
    void add(int round) { blocks.emplace_back(new char[static_cast<std::size_t>(1 + round * 7 % 61)]); }
};

}  // namespace

TEST(Alignment, TypesHoldingVectorsNeedMoreThanEightBytes)
{
    // What the checks below are about: were these 8, the heap would be enough.
    EXPECT_GE(alignof(Lanes::Pair), 16u);
    EXPECT_GE(alignof(LimiterKernel), 16u);
    EXPECT_GE(alignof(Limiter), 16u);
}

TEST(Alignment, ObjectsMadeOnTheHeapAreAligned)
{
    HeapNoise noise;
    std::vector<std::unique_ptr<LimiterKernel>> kernels;
    std::vector<std::shared_ptr<LimiterKernel>> shared;
    std::vector<std::unique_ptr<Limiter>> limiters;
    std::vector<std::unique_ptr<Lanes::Pair[]>> pairArrays;
    for (int round = 0; round < rounds; ++round) {
        noise.add(round);
        kernels.push_back(std::make_unique<LimiterKernel>());
        EXPECT_TRUE(aligned(kernels.back().get())) << "make_unique<LimiterKernel>, round " << round;
        noise.add(round + 1);
        shared.push_back(std::make_shared<LimiterKernel>());
        EXPECT_TRUE(aligned(shared.back().get())) << "make_shared<LimiterKernel>, round " << round;
        noise.add(round + 2);
        limiters.emplace_back(new Limiter(nullptr));
        EXPECT_TRUE(aligned(limiters.back().get())) << "new Limiter, round " << round;
        pairArrays.emplace_back(new Lanes::Pair[static_cast<std::size_t>(1 + round % 5)]);
        EXPECT_TRUE(aligned(pairArrays.back().get())) << "new Pair[], round " << round;
    }
}

TEST(Alignment, ObjectsInsideContainersAreAligned)
{
    HeapNoise noise;
    std::vector<std::vector<LimiterKernel>> kernelVectors;
    std::vector<std::vector<Lanes::Pair>> pairVectors;
    std::deque<LimiterKernel> kernelDeque;
    std::list<Lanes::Pair> pairList;
    for (int round = 0; round < rounds; ++round) {
        noise.add(round);
        kernelVectors.emplace_back(static_cast<std::size_t>(1 + round % 3));
        for (const LimiterKernel& k : kernelVectors.back())
            EXPECT_TRUE(aligned(&k)) << "vector<LimiterKernel>, round " << round;
        pairVectors.emplace_back(static_cast<std::size_t>(1 + round));
        EXPECT_TRUE(aligned(pairVectors.back().data())) << "vector<Pair>, round " << round;
        noise.add(round + 3);
        kernelDeque.emplace_back();
        EXPECT_TRUE(aligned(&kernelDeque.back())) << "deque<LimiterKernel>, round " << round;
        pairList.emplace_back();
        EXPECT_TRUE(aligned(&pairList.back())) << "list<Pair>, round " << round;
    }
    // Growing moves the elements into new storage, which must be aligned as well.
    std::vector<LimiterKernel> growing;
    for (int round = 0; round < rounds; ++round) {
        noise.add(round);
        growing.emplace_back();
        EXPECT_TRUE(aligned(growing.data())) << "grown vector<LimiterKernel>, size " << growing.size();
    }
}
