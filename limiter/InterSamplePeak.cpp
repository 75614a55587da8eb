#include "limiter/InterSamplePeak.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

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

double kaiser(double w) { return besselI0(6.0 * std::sqrt(std::max(0.0, 1.0 - w * w))) / besselI0(6.0); }
double hann(double w) { return 0.5 + 0.5 * std::cos(M_PI * w); }

// One phase of a windowed sinc cut at the original Nyquist frequency, oldest tap first, scaled so a
// constant signal interpolates to itself: `span` taps centred on the stretch being interpolated.
std::vector<double> designPhase(int span, int phase, double (*window)(double))
{
    const double halfWidth = span / 2 + 1;  // the window's zeros lie just beyond the outer taps
    std::vector<double> row(static_cast<std::size_t>(span));
    double sum = 0.0;
    for (int j = 0; j < span; ++j) {
        // Tap j multiplies the frame `span - 1 - j` frames before the newest one it reads; `t` is the
        // point's distance from that frame in sample periods.
        const double t = (span - 1 - j) - span / 2 + static_cast<double>(phase) / InterSamplePeak::oversampling;
        row[j] = std::sin(M_PI * t) / (M_PI * t) * window(t / halfWidth);
        sum += row[j];
    }
    for (double& c : row)
        c /= sum;
    return row;
}

// The vertex of the parabola through three neighbouring magnitudes whose middle one is the largest.
double refinedPeak(double before, double middle, double after)
{
    const double curvature = before - 2.0 * middle + after;
    if (curvature >= 0.0)
        return middle;
    const double slope = before - after;
    return middle - slope * slope / (8.0 * curvature);
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

Quad spread(const float* c) { return Quad{c[0], c[0], c[1], c[1]}; }

// The three interpolated points of `span` taps over `frames` (oldest first), as (left, right) pairs.
struct Points {
    float left[3], right[3];
};
template <int span>
Points interpolate(const float* even, const float* odd, const float* middle, const float (*frames)[2])
{
    Quad evenSum = {}, oddSum = {}, middleSum = {};
    for (int j = 0; j < span / 2; j += 2) {
        const Quad near = load(frames + j), far = loadMirrored(frames + span - 2 - j);
        const Quad sum = near + far, difference = near - far;
        evenSum += spread(even + j) * sum;
        oddSum += spread(odd + j) * difference;
        middleSum += spread(middle + j) * sum;
    }
    const Quad first = evenSum + oddSum, third = evenSum - oddSum;
    return Points{{first[0] + first[2], middleSum[0] + middleSum[2], third[0] + third[2]},
                  {first[1] + first[3], middleSum[1] + middleSum[3], third[1] + third[3]}};
}

}  // namespace

namespace {

void designFilter(float* even, float* odd, float* middle, int span, double (*window)(double))
{
    const std::vector<double> first = designPhase(span, 1, window), half = designPhase(span, 2, window);
    for (int j = 0; j < span / 2; ++j) {
        const std::size_t near = static_cast<std::size_t>(j), far = static_cast<std::size_t>(span - 1 - j);
        even[j] = static_cast<float>((first[near] + first[far]) / 2);
        odd[j] = static_cast<float>((first[near] - first[far]) / 2);
        middle[j] = static_cast<float>(half[near]);
    }
}

}  // namespace

InterSamplePeak::InterSamplePeak()
{
    static_assert(sharpTaps % 4 == 0 && meterTaps % 4 == 0, "the sums run two mirrored pairs at a time");
    designFilter(sharp.even, sharp.odd, sharp.middle, sharpTaps, kaiser);
    designFilter(meter.even, meter.odd, meter.middle, meterTaps, hann);
    reset();
}

void InterSamplePeak::reset()
{
    std::fill(&history[0][0], &history[0][0] + 2 * 2 * sharpTaps, 0.0f);
    position = 0;
    previousLast[0] = previousLast[1] = 0.0;
}

double InterSamplePeak::push(double left, double right)
{
    history[position][0] = history[position + sharpTaps][0] = static_cast<float>(left);
    history[position][1] = history[position + sharpTaps][1] = static_cast<float>(right);
    position = position + 1 == sharpTaps ? 0 : position + 1;
    const float(*frames)[2] = history + position;  // oldest to newest

    const Points a = interpolate<sharpTaps>(sharp.even, sharp.odd, sharp.middle, frames);
    const Points b = interpolate<meterTaps>(meter.even, meter.odd, meter.middle, frames + meterFirst);
    const float* now = frames[sharpTaps - 1 - sharpTaps / 2];
    const float* next = frames[sharpTaps - sharpTaps / 2];

    double peak = 0.0;
    for (int channel = 0; channel < 2; ++channel) {
        // The stretch from the sample `latency` frames back to the one after it: six magnitudes, from
        // the previous stretch's last point to the next stretch's first sample.
        const float* pa = channel == 0 ? a.left : a.right;
        const float* pb = channel == 0 ? b.left : b.right;
        const double points[oversampling + 2] = {previousLast[channel],
                                                 std::fabs(now[channel]),
                                                 std::max(std::fabs(pa[0]), std::fabs(pb[0])),
                                                 std::max(std::fabs(pa[1]), std::fabs(pb[1])),
                                                 std::max(std::fabs(pa[2]), std::fabs(pb[2])),
                                                 std::fabs(next[channel])};
        previousLast[channel] = points[oversampling];
        for (int p = 1; p <= oversampling; ++p) {
            const double before = points[p - 1], middle = points[p], after = points[p + 1];
            peak = std::max(peak, middle >= before && middle >= after ? refinedPeak(before, middle, after) : middle);
        }
    }
    return peak;
}
