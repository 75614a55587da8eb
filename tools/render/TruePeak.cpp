#include "tools/render/TruePeak.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace Render {

namespace {

constexpr int taps = 12;  // input samples under each output point
constexpr int maxFactor = 4;

// The interpolator's phases, h[k][p] for input sample n - k and output point n - centre + p / factor.
struct Interpolator {
    int factor = 1;
    std::array<std::array<float, maxFactor>, taps> h{};
};

double besselI0(double x)
{
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// A Kaiser-windowed sinc cut at the input's Nyquist frequency, centred on input sample taps / 2, so
// phase 0 reproduces the samples and phase factor / 2 falls halfway between them.
Interpolator makeInterpolator(int factor)
{
    constexpr double pi = 3.14159265358979323846, beta = 7.0;
    Interpolator f;
    f.factor = factor;
    const double centre = taps / 2.0, halfWidth = taps / 2.0;
    for (int k = 0; k < taps; ++k)
        for (int p = 0; p < factor; ++p) {
            const double t = k - centre + static_cast<double>(p) / factor;  // in input samples
            const double sinc = t == 0.0 ? 1.0 : std::sin(pi * t) / (pi * t);
            const double r = t / halfWidth;
            const double window = std::fabs(r) < 1.0 ? besselI0(beta * std::sqrt(1.0 - r * r)) / besselI0(beta) : 0.0;
            f.h[k][p] = static_cast<float>(sinc * window);
        }
    return f;
}

const Interpolator& interpolatorFor(double sampleRate)
{
    static const Interpolator four = makeInterpolator(4), two = makeInterpolator(2), one = makeInterpolator(1);
    return sampleRate < 96000.0 ? four : (sampleRate < 192000.0 ? two : one);
}

}  // namespace

double truePeak(const float* samples, std::size_t count, double sampleRate)
{
    const Interpolator& f = interpolatorFor(sampleRate);
    // Silence before and after, so the ends are interpolated like the middle.
    constexpr std::size_t chunk = 4096;
    std::vector<float> padded(chunk + taps, 0.0f);
    float peak = 0.0f;
    for (std::size_t at = 0; at < count + taps; at += chunk) {
        // padded[0..taps-1] holds the previous chunk's last samples.
        const std::size_t n = std::min(chunk, count + taps - at);
        for (std::size_t i = 0; i < n; ++i)
            padded[taps + i] = at + i < count ? samples[at + i] : 0.0f;
        for (std::size_t i = 0; i < n; ++i) {
            std::array<float, maxFactor> sum{};
            const float* x = padded.data() + taps + i;  // x[-k] is input sample at + i - k
            for (int k = 0; k < taps; ++k)
                for (int p = 0; p < maxFactor; ++p)
                    sum[p] += f.h[k][p] * x[-k];
            for (int p = 0; p < f.factor; ++p)
                peak = std::max(peak, std::fabs(sum[p]));
        }
        std::copy(padded.begin() + static_cast<std::ptrdiff_t>(n), padded.begin() + static_cast<std::ptrdiff_t>(n + taps),
                  padded.begin());
    }
    float samplePeak = 0.0f;
    for (std::size_t i = 0; i < count; ++i)
        samplePeak = std::max(samplePeak, std::fabs(samples[i]));
    return std::max(peak, samplePeak);
}

}  // namespace Render
