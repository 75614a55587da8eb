#include "limiter/Dither.h"

#include <atomic>

namespace Dither {

namespace {
std::atomic<std::uint32_t> ditherSeed{0};
}

std::uint32_t jump(std::uint32_t state, std::uint32_t steps)
{
    // x -> a*x + c composed with itself by squaring: (a, c) o (a, c) = (a*a, (a + 1)*c).
    std::uint32_t totalMul = 1, totalAdd = 0;
    std::uint32_t mul = multiplier, add = increment;
    while (steps) {
        if (steps & 1u) {
            totalMul *= mul;
            totalAdd = totalAdd * mul + add;
        }
        add = (mul + 1u) * add;
        mul *= mul;
        steps >>= 1;
    }
    return totalMul * state + totalAdd;
}

std::uint32_t claim(std::uint32_t steps)
{
    std::uint32_t start = ditherSeed.load(std::memory_order_relaxed);
    while (!ditherSeed.compare_exchange_weak(start, jump(start, steps), std::memory_order_relaxed))
        ;
    return start;
}

void restart(std::uint32_t state) { ditherSeed.store(state, std::memory_order_relaxed); }

}  // namespace Dither
