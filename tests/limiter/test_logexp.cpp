// The limiter's own logarithm and exponential: accurate to about half a unit in the last place, right
// at the edges of their ranges, and the same bits on every build.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "limiter/LogExp.h"
#include "limiter/RoundingMode.h"

#if defined(__linux__) && defined(__x86_64__)
#include <quadmath.h>
#define TARN_HAVE_QUAD 1
#endif

namespace {

std::uint64_t bitsOf(double x)
{
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// Arguments the limiter meets: reductions of a few nepers (and tiny ones), levels just over and far
// over the threshold; and the rest of the range with normal results.
std::vector<double> expArguments()
{
    std::mt19937_64 random(7);
    std::vector<double> xs;
    for (int i = 0; i < 20000; ++i) {
        switch (i % 4) {
        case 0: xs.push_back(-std::uniform_real_distribution<double>(0, 30)(random)); break;
        case 1: xs.push_back(-std::uniform_real_distribution<double>(0, 1e-3)(random)); break;
        case 2: xs.push_back(std::uniform_real_distribution<double>(-708, 709)(random)); break;
        default: xs.push_back(std::uniform_real_distribution<double>(-1, 1)(random)); break;
        }
    }
    return xs;
}

std::vector<double> logArguments()
{
    std::mt19937_64 random(11);
    std::vector<double> xs;
    for (int i = 0; i < 20000; ++i) {
        switch (i % 4) {
        case 0: xs.push_back(1.0 + std::uniform_real_distribution<double>(0, 10)(random)); break;
        case 1: xs.push_back(1.0 + std::uniform_real_distribution<double>(-1e-3, 1e-3)(random)); break;
        case 2:
            xs.push_back(std::ldexp(std::uniform_real_distribution<double>(1, 2)(random), i % 2001 - 1000));
            break;
        default: xs.push_back(std::uniform_real_distribution<double>(0.5, 2)(random)); break;
        }
    }
    return xs;
}

}  // namespace

#if TARN_HAVE_QUAD
namespace {

double ulpError(double got, __float128 exact)
{
    const double nearest = static_cast<double>(exact);
    const double ulp = std::nextafter(std::fabs(nearest), HUGE_VAL) - std::fabs(nearest);
    return static_cast<double>(fabsq(static_cast<__float128>(got) - exact)) / ulp;
}

template <typename Ours, typename Exact>
double worstError(const std::vector<double>& xs, Ours ours, Exact exact)
{
    double worst = 0.0;
    for (double x : xs)
        worst = std::max(worst, ulpError(ours(x), exact(static_cast<__float128>(x))));
    return worst;
}

}  // namespace

TEST(LogExp, AsAccurateAsTheCLibrary)
{
    const auto ourExp = [](double x) { return LogExp::exp(x); };
    const auto ourLog = [](double x) { return LogExp::log(x); };
    const auto quadExp = [](__float128 x) { return expq(x); };
    const auto quadLog = [](__float128 x) { return logq(x); };
    // Rounding to nearest, the C library's own mode: within about half a unit in the last place.
    EXPECT_LT(worstError(expArguments(), ourExp, quadExp), 0.52);
    EXPECT_LT(worstError(logArguments(), ourLog, quadLog), 0.7);
    // Toward zero, as the limiter runs: each operation may lose up to a unit, the whole about one.
    TowardZeroRounding rounding;
    EXPECT_LT(worstError(expArguments(), ourExp, quadExp), 1.1);
    EXPECT_LT(worstError(logArguments(), ourLog, quadLog), 1.25);
}
#endif

TEST(LogExp, EdgesOfTheRanges)
{
    const double inf = HUGE_VAL, nan = std::nan("");
    EXPECT_EQ(LogExp::exp(0.0), 1.0);
    EXPECT_EQ(LogExp::exp(-inf), 0.0);
    EXPECT_EQ(LogExp::exp(inf), inf);
    EXPECT_EQ(LogExp::exp(710.0), inf);
    EXPECT_EQ(LogExp::exp(-746.0), 0.0);
    EXPECT_EQ(LogExp::exp(-745.1), 4.9406564584124654e-324);  // the smallest subnormal
    EXPECT_NEAR(LogExp::exp(-709.0) / 1.2167807506234229e-308, 1.0, 1e-15);
    EXPECT_NEAR(LogExp::exp(709.7) / 1.6549840276802644e+308, 1.0, 1e-15);
    EXPECT_TRUE(std::isnan(LogExp::exp(nan)));

    EXPECT_EQ(LogExp::log(1.0), 0.0);
    EXPECT_EQ(LogExp::log(0.0), -inf);
    EXPECT_EQ(LogExp::log(inf), inf);
    EXPECT_TRUE(std::isnan(LogExp::log(-1.0)));
    EXPECT_TRUE(std::isnan(LogExp::log(nan)));
    EXPECT_NEAR(LogExp::log(DBL_MIN), -708.39641853226408, 1e-12);
    EXPECT_NEAR(LogExp::log(4.9406564584124654e-324), -744.44007192138122, 1e-12);
    EXPECT_NEAR(LogExp::log(DBL_MAX), 709.78271289338397, 1e-12);
    for (int k = -1074; k <= 1023; k += 97) {
        const double want = static_cast<double>(k) * 0.69314718055994530942;
        EXPECT_LE(std::fabs(LogExp::log(std::ldexp(1.0, k)) - want), std::fabs(want) * DBL_EPSILON) << "2^" << k;
    }
    // Lanes never mix: each is what the value alone gives.
    const Lanes::Pair pair = LogExp::log(Lanes::Pair{3.0, 0.0});
    EXPECT_EQ(pair[0], LogExp::log(3.0));
    EXPECT_EQ(pair[1], -inf);
}

// The output of the effect must not depend on the platform it was built for: these sums over the bits
// of many results are the same on every build (the C library's functions differ between platforms).
TEST(LogExp, SameBitsOnEveryBuild)
{
    TowardZeroRounding rounding;  // the mode the limiter runs in
    std::uint64_t expSum = 0, logSum = 0;
    for (double x : expArguments())
        expSum = expSum * 31 + bitsOf(LogExp::exp(x));
    for (double x : logArguments())
        logSum = logSum * 31 + bitsOf(LogExp::log(x));
    EXPECT_EQ(expSum, 5722412223580935937u);
    EXPECT_EQ(logSum, 12353893012216131712u);
}
