#include "limiter/InterSamplePeak.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

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

double kaiser(double w) { return besselI0(4.0 * std::sqrt(std::max(0.0, 1.0 - w * w))) / besselI0(4.0); }
double hann(double w) { return 0.5 + 0.5 * std::cos(pi * w); }

// One phase of a windowed sinc cut at the original Nyquist frequency, oldest tap first: `span` taps
// centred on the stretch being interpolated, the window reaching zero `halfWidth` samples either side.
// `normalized`: scaled so a constant signal interpolates to itself.
std::vector<double> designPhase(int span, int phase, double (*window)(double), double halfWidth, bool normalized)
{
    std::vector<double> row(static_cast<std::size_t>(span));
    double sum = 0.0;
    for (int j = 0; j < span; ++j) {
        // Tap j multiplies the frame `span - 1 - j` frames before the newest one it reads; `t` is the
        // point's distance from that frame in sample periods.
        const double t = (span - 1 - j) - span / 2 + static_cast<double>(phase) / InterSamplePeak::oversampling;
        row[j] = std::sin(pi * t) / (pi * t) * window(t / halfWidth);
        sum += row[j];
    }
    if (normalized)
        for (double& c : row)
            c /= sum;
    return row;
}

typedef float Quad __attribute__((vector_size(16)));  // taps j and j + 1, each (left, right)

Quad load(const float (*frames)[2])
{
    Quad v;
    __builtin_memcpy(&v, frames, sizeof v);
    return v;
}

// Two frames read from the far end: (left, right) of the later one first, so it lines up with the
// near end's order.
Quad loadMirrored(const float (*frames)[2])
{
    const Quad v = load(frames);
    return __builtin_shufflevector(v, v, 2, 3, 0, 1);
}

Quad loadCoefficients(const float* c)
{
    Quad v;
    __builtin_memcpy(&v, c, sizeof v);
    return v;
}

Quad magnitude(Quad v)
{
    typedef std::int32_t Bits __attribute__((vector_size(16)));
    return reinterpret_cast<Quad>(reinterpret_cast<Bits>(v) & 0x7fffffff);
}

Quad max(Quad a, Quad b) { return a > b ? a : b; }

// Where the middle magnitude is a local maximum, the vertex of the parabola through it and its two
// neighbours; elsewhere the middle one itself.
Quad refined(Quad before, Quad middle, Quad after)
{
    const Quad curvature = before - 2.0f * middle + after;
    const Quad slope = before - after;
    const Quad vertex = middle - slope * slope / (8.0f * curvature);
    const auto peak = (middle >= before) & (middle >= after) & (curvature < 0.0f);
    return peak ? vertex : middle;
}

// The three interpolated points of `span` taps over `frames` (oldest first): the first two as
// {left, right, left, right}, the third in lanes 0 and 1.
struct Points {
    Quad firstTwo, third;
};
template <int span>
Points interpolate(const float* even, const float* odd, const float* middle, const float (*frames)[2])
{
    Quad evenSum = {}, oddSum = {}, middleSum = {};
    for (int j = 0; j < span / 2; j += 2) {
        const Quad near = load(frames + j), far = loadMirrored(frames + span - 2 - j);
        const Quad sum = near + far, difference = near - far;
        evenSum += loadCoefficients(even + 2 * j) * sum;
        oddSum += loadCoefficients(odd + 2 * j) * difference;
        middleSum += loadCoefficients(middle + 2 * j) * sum;
    }
    // Each sum holds two taps' shares per channel: add the upper half onto the lower.
    const Quad first = evenSum + oddSum, third = evenSum - oddSum;
    const Quad firstFolded = first + __builtin_shufflevector(first, first, 2, 3, 0, 1);
    const Quad middleFolded = middleSum + __builtin_shufflevector(middleSum, middleSum, 2, 3, 0, 1);
    return Points{__builtin_shufflevector(firstFolded, middleFolded, 0, 1, 4, 5),
                  third + __builtin_shufflevector(third, third, 2, 3, 0, 1)};
}

}  // namespace

namespace {

void designFilter(float* even, float* odd, float* middle, int span, double (*window)(double), double halfWidth,
                  bool normalized)
{
    const std::vector<double> first = designPhase(span, 1, window, halfWidth, normalized);
    const std::vector<double> half = designPhase(span, 2, window, halfWidth, normalized);
    for (int j = 0; j < span / 2; ++j) {
        const std::size_t near = static_cast<std::size_t>(j), far = static_cast<std::size_t>(span - 1 - j);
        even[2 * j] = even[2 * j + 1] = static_cast<float>((first[near] + first[far]) / 2);
        odd[2 * j] = odd[2 * j + 1] = static_cast<float>((first[near] - first[far]) / 2);
        middle[2 * j] = middle[2 * j + 1] = static_cast<float>(half[near]);
    }
}

}  // namespace

InterSamplePeak::InterSamplePeak()
{
    static_assert(sharpTaps % 4 == 0 && meterTaps % 4 == 0, "the sums run two mirrored pairs at a time");
    // The sharp filter's window just beyond its outer taps, normalized; the meter filter exactly as the
    // loudness meters build theirs (a 49-tap Hann window at four times the rate, zero 6 samples out,
    // unnormalized), so the stage reads what they read.
    designFilter(sharp.even, sharp.odd, sharp.middle, sharpTaps, kaiser, sharpTaps / 2 + 1, true);
    designFilter(meter.even, meter.odd, meter.middle, meterTaps, hann, meterTaps / 2, false);
    reset();
}

void InterSamplePeak::reset()
{
    std::fill(&history[0][0], &history[0][0] + 2 * sharpTaps, 0.0f);
    previousLast[0] = previousLast[1] = 0.0f;
}

void InterSamplePeak::process(const double* left, const double* right, int frames, double* peaks)
{
    for (int i = 0; i < frames; ++i) {
        history[sharpTaps + i][0] = static_cast<float>(left[i]);
        history[sharpTaps + i][1] = static_cast<float>(right[i]);
    }
    for (int i = 0; i < frames; ++i) {
        const float(*window)[2] = history + i + 1;  // the newest `sharpTaps` frames, oldest first
        const Points a = interpolate<sharpTaps>(sharp.even, sharp.odd, sharp.middle, window);
        const Points b = interpolate<meterTaps>(meter.even, meter.odd, meter.middle, window + meterFirst);
        // The stretch from the sample `latency` frames back to the one after it: six magnitudes per
        // channel, from the previous stretch's last point to the next stretch's first sample, as
        // (left, right) pairs; each of the middle four that is a local maximum is refined.
        const float* now = window[sharpTaps - 1 - sharpTaps / 2];
        const float* next = window[sharpTaps - sharpTaps / 2];
        const Quad edges = magnitude(Quad{previousLast[0], previousLast[1], now[0], now[1]});
        const Quad firstTwo = max(magnitude(a.firstTwo), magnitude(b.firstTwo));
        const Quad third = max(magnitude(a.third), magnitude(b.third));
        const Quad ends = __builtin_shufflevector(third, magnitude(Quad{next[0], next[1], 0.0f, 0.0f}), 0, 1, 4, 5);
        // Points 1 to 4 as the pairs {1, 2} and {3, 4}, each with the pairs before and after it.
        const Quad early = __builtin_shufflevector(edges, firstTwo, 2, 3, 4, 5);
        const Quad late = __builtin_shufflevector(firstTwo, ends, 2, 3, 4, 5);
        const Quad best = max(refined(edges, early, firstTwo), refined(firstTwo, late, ends));
        previousLast[0] = ends[0];
        previousLast[1] = ends[1];
        peaks[i] = std::max(std::max(best[0], best[1]), std::max(best[2], best[3]));
    }
    std::copy(&history[frames][0], &history[frames][0] + 2 * sharpTaps, &history[0][0]);
}
