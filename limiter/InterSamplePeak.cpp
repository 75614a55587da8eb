#include "limiter/InterSamplePeak.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "limiter/InterSamplePeakLoop.h"
#include "limiter/InterSamplePeakWidths.h"

namespace {

// M_PI is not standard C++: the Windows builds, strict, do not have it.
constexpr double pi = 3.14159265358979323846;

// The zeroth-order modified Bessel function, for the Kaiser window (its series converges fast here).
double besselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 40; ++k) {
        const double half = x / (2.0 * k);
        term *= half * half;
        sum += term;
    }
    return sum;
}

// A windowed sinc: the window (Kaiser with its beta, or Hann when beta is 0) reaches zero `halfWidth`
// samples either side of the point; the sinc is cut at `cutoff` times the original Nyquist frequency;
// `normalized`: each phase scaled so a constant signal interpolates to itself.
struct Design {
    double kaiserBeta;
    double halfWidth;
    double cutoff;
    bool normalized;

    double window(double t) const
    {
        const double w = t / halfWidth;
        if (!(std::fabs(w) < 1.0))
            return 0.0;
        if (kaiserBeta == 0.0)
            return 0.5 + 0.5 * std::cos(pi * w);
        return besselI0(kaiserBeta * std::sqrt(1.0 - w * w)) / besselI0(kaiserBeta);
    }
};

// One phase, oldest tap first: `span` taps centred on the stretch being interpolated.
std::vector<double> designPhase(int span, int phase, const Design& design)
{
    std::vector<double> row(static_cast<std::size_t>(span));
    double sum = 0.0;
    for (int j = 0; j < span; ++j) {
        // Tap j multiplies the frame `span - 1 - j` frames before the newest one it reads; `t` is the
        // point's distance from that frame in sample periods (never a whole number here).
        const double t = (span - 1 - j) - span / 2 + static_cast<double>(phase) / InterSamplePeak::oversampling;
        row[j] = std::sin(pi * design.cutoff * t) / (pi * t) * design.window(t);
        sum += row[j];
    }
    if (design.normalized)
        for (double& c : row)
            c /= sum;
    return row;
}

void designFilter(float* even, float* odd, float* middle, int span, const Design& design)
{
    const std::vector<double> first = designPhase(span, 1, design);
    const std::vector<double> half = designPhase(span, 2, design);
    for (int j = 0; j < span / 2; ++j) {
        const std::size_t near = static_cast<std::size_t>(j), far = static_cast<std::size_t>(span - 1 - j);
        even[2 * j] = even[2 * j + 1] = static_cast<float>((first[near] + first[far]) / 2);
        odd[2 * j] = odd[2 * j + 1] = static_cast<float>((first[near] - first[far]) / 2);
        middle[2 * j] = middle[2 * j + 1] = static_cast<float>(half[near]);
    }
}

template <int span> void designFilter(InterSamplePeak::Filter<span>& filter, const Design& design)
{
    designFilter(filter.even, filter.odd, filter.middle, span, design);
}

// The widths the processor offers, asked once when the library loads (so the audio thread never meets a
// guarded first-time initialisation), and the most the tests allow.
int widestOffered()
{
#if TARN_HAVE_FOURS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq"))
        return 16;
    if (__builtin_cpu_supports("avx2"))
        return 8;
#endif
    return 4;
}
const int widest = widestOffered();
std::atomic<int> widthLimit{16};

}  // namespace

InterSamplePeak::InterSamplePeak()
{
    // The sharp filter's window just beyond its outer taps (beta 4: flat to about 96 % of the band), normalized.
    designFilter(filters.sharp, Design{4.0, sharpTaps / 2 + 1, 1.0, true});
    // ffmpeg's resampler as its loudness meter sets it up: 33 taps, Kaiser beta 9, cut at 97 %.
    designFilter(filters.resampler, Design{9.0, 16.5, 0.97, true});
    // The loudness meters' own, exactly as they build it: a 49-tap Hann window at four times the rate,
    // zero 6 samples out, unnormalized.
    designFilter(filters.meter, Design{0.0, 6.0, 1.0, false});
    reset();
}

void InterSamplePeak::reset(int leadIn)
{
    history = History{};
    history.received = -static_cast<long long>(std::max(leadIn, 0));
}

void InterSamplePeak::limitWidth(int floats) { widthLimit.store(floats, std::memory_order_relaxed); }

int InterSamplePeak::width() { return std::min(widest, widthLimit.load(std::memory_order_relaxed)); }

void InterSamplePeak::process(const double* left, const double* right, int frames, double* peaks)
{
    const int floats = width();
#if TARN_HAVE_FOURS
    if (floats >= 16)
        return InterSamplePeakWidths::processSixteen(filters, history, left, right, frames, peaks);
    if (floats >= 8)
        return InterSamplePeakWidths::processEight(filters, history, left, right, frames, peaks);
#endif
    (void)floats;
    InterSamplePeakLoop::process<4>(filters, history, left, right, frames, peaks);
}
