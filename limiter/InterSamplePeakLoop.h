// The detector's loop, written once for sums four, eight or sixteen floats wide. Whatever the width, each
// filter's sums keep the same sixteen partial sums (eight taps of two channels), each gathering the same
// taps in the same order, and fold them by the same tree: every width gives the same bits.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "limiter/InterSamplePeak.h"
#include "limiter/Lanes.h"  // the namespace per instruction set

namespace InterSamplePeakLoop {
inline namespace TARN_LANES_ISA {

typedef float Quad __attribute__((vector_size(16)));

// Loads, and the pairs of frames put in reverse order (each frame's left and right kept together), so
// frames read from the far end of the history line up with those from the near end.
template <int floats> struct Vector;
template <> struct Vector<4> {
    typedef float Type __attribute__((vector_size(16)));
    static Type mirrored(Type v) { return __builtin_shufflevector(v, v, 2, 3, 0, 1); }
};
// The wider ones only where the file is built for them (passing them by value elsewhere would change the
// calling convention).
#if defined(__AVX2__)
template <> struct Vector<8> {
    typedef float Type __attribute__((vector_size(32)));
    static Type mirrored(Type v) { return __builtin_shufflevector(v, v, 6, 7, 4, 5, 2, 3, 0, 1); }
};
#endif
#if defined(__AVX512F__)
template <> struct Vector<16> {
    typedef float Type __attribute__((vector_size(64)));
    static Type mirrored(Type v)
    {
        return __builtin_shufflevector(v, v, 14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    }
};
#endif

template <typename V> inline V load(const float* from)
{
    V v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline Quad magnitude(Quad v)
{
    typedef std::int32_t Bits __attribute__((vector_size(16)));
    return reinterpret_cast<Quad>(reinterpret_cast<Bits>(v) & 0x7fffffff);
}

inline Quad max(Quad a, Quad b) { return a > b ? a : b; }

// Sixteen partial sums, as 16 / floats vectors: lane 2m + c holds tap slot m of channel c.
template <int floats> struct Sums {
    typedef typename Vector<floats>::Type V;
    V v[16 / floats];
};

// The sixteen partial sums folded to {left, right, left, right}: slot m with slot m + 4, then with m + 2.
inline Quad fold(const Sums<4>& s) { return (s.v[0] + s.v[2]) + (s.v[1] + s.v[3]); }
#if defined(__AVX2__)
inline Quad fold(const Sums<8>& s)
{
    const auto eight = s.v[0] + s.v[1];
    return __builtin_shufflevector(eight, eight, 0, 1, 2, 3) + __builtin_shufflevector(eight, eight, 4, 5, 6, 7);
}
#endif
#if defined(__AVX512F__)
inline Quad fold(const Sums<16>& s)
{
    const auto sixteen = s.v[0];
    const auto eight = __builtin_shufflevector(sixteen, sixteen, 0, 1, 2, 3, 4, 5, 6, 7) +
                       __builtin_shufflevector(sixteen, sixteen, 8, 9, 10, 11, 12, 13, 14, 15);
    return __builtin_shufflevector(eight, eight, 0, 1, 2, 3) + __builtin_shufflevector(eight, eight, 4, 5, 6, 7);
}
#endif

// The three interpolated points of one filter over `frames` (its span, oldest first): the first two as
// {left, right, left, right}, the third in lanes 0 and 1.
struct Points {
    Quad firstTwo, third;
};
template <int floats, int span>
inline Points interpolate(const InterSamplePeak::Filter<span>& filter, const float (*frames)[2])
{
    static_assert(span % 16 == 0, "the sums run eight mirrored pairs at a time");
    typedef typename Vector<floats>::Type V;
    constexpr int parts = 16 / floats, framesPerPart = floats / 2;
    Sums<floats> even{}, odd{}, middle{};
    for (int j = 0; j < span / 2; j += 8) {
        for (int k = 0; k < parts; ++k) {
            const int near = j + k * framesPerPart;
            const V nearFrames = load<V>(frames[near]);
            const V farFrames = Vector<floats>::mirrored(load<V>(frames[span - near - framesPerPart]));
            const V sum = nearFrames + farFrames, difference = nearFrames - farFrames;
            even.v[k] += load<V>(filter.even + 2 * near) * sum;
            odd.v[k] += load<V>(filter.odd + 2 * near) * difference;
            middle.v[k] += load<V>(filter.middle + 2 * near) * sum;
        }
    }
    Sums<floats> first, third;
    for (int k = 0; k < parts; ++k) {
        first.v[k] = even.v[k] + odd.v[k];
        third.v[k] = even.v[k] - odd.v[k];
    }
    const Quad firstFolded = fold(first), middleFolded = fold(middle), thirdFolded = fold(third);
    const Quad firstPair = firstFolded + __builtin_shufflevector(firstFolded, firstFolded, 2, 3, 0, 1);
    const Quad middlePair = middleFolded + __builtin_shufflevector(middleFolded, middleFolded, 2, 3, 0, 1);
    return Points{__builtin_shufflevector(firstPair, middlePair, 0, 1, 4, 5),
                  thirdFolded + __builtin_shufflevector(thirdFolded, thirdFolded, 2, 3, 0, 1)};
}

// Where the middle magnitude is a local maximum, the vertex of the parabola through it and its two
// neighbours; elsewhere the middle one itself.
inline Quad refined(Quad before, Quad middle, Quad after)
{
    const Quad curvature = before - 2.0f * middle + after;
    const Quad slope = before - after;
    const Quad vertex = middle - slope * slope / (8.0f * curvature);
    const auto peak = (middle >= before) & (middle >= after) & (curvature < 0.0f);
    return peak ? vertex : middle;
}

// The larger magnitude of each point through any of the filters.
inline Points loudest(const Points& a, const Points& b)
{
    return Points{max(magnitude(a.firstTwo), magnitude(b.firstTwo)), max(magnitude(a.third), magnitude(b.third))};
}

// The peak of the stretch between window[span / 2 - 1] and window[span / 2]: six magnitudes per channel,
// from the previous stretch's last point to the next stretch's first sample, as (left, right) pairs; each
// of the middle four that is a local maximum is refined. `previousLast` is carried from stretch to
// stretch; `mirrored`: the stretch begins at the first frame, with the frames before it its mirror, so
// the point before it is its own first point.
template <int floats>
inline float stretchPeak(const InterSamplePeak::Filters& filters, const float (*window)[2], float* previousLast,
                         bool mirrored = false)
{
    constexpr int span = InterSamplePeak::sharpTaps;
    constexpr int resamplerFirst = (span - InterSamplePeak::resamplerTaps) / 2;
    constexpr int meterFirst = (span - InterSamplePeak::meterTaps) / 2;
    const Points points = loudest(loudest(interpolate<floats>(filters.sharp, window),
                                          interpolate<floats>(filters.resampler, window + resamplerFirst)),
                                  interpolate<floats>(filters.meter, window + meterFirst));
    if (mirrored) {
        previousLast[0] = points.firstTwo[0];
        previousLast[1] = points.firstTwo[1];
    }
    const float* now = window[span / 2 - 1];
    const float* next = window[span / 2];
    const Quad edges = magnitude(Quad{previousLast[0], previousLast[1], now[0], now[1]});
    const Quad ends = __builtin_shufflevector(points.third, magnitude(Quad{next[0], next[1], 0.0f, 0.0f}), 0, 1, 4, 5);
    // Points 1 to 4 as the pairs {1, 2} and {3, 4}, each with the pairs before and after it.
    const Quad early = __builtin_shufflevector(edges, points.firstTwo, 2, 3, 4, 5);
    const Quad late = __builtin_shufflevector(points.firstTwo, ends, 2, 3, 4, 5);
    const Quad best = max(refined(edges, early, points.firstTwo), refined(points.firstTwo, late, ends));
    previousLast[0] = ends[0];
    previousLast[1] = ends[1];
    return std::max(std::max(best[0], best[1]), std::max(best[2], best[3]));
}

template <int floats>
void process(const InterSamplePeak::Filters& filters, InterSamplePeak::History& history, const double* left,
             const double* right, int frames, double* peaks)
{
    constexpr int span = InterSamplePeak::sharpTaps, mirroredStretches = InterSamplePeak::startStretches;
    constexpr long long startFrames = mirroredStretches + span / 2;  // frames 0 .. the last mirrored window's end
    float(*line)[2] = history.frames;
    float(*start)[2] = history.start + mirroredStretches;  // start[f] holds frame f, from -31 on
    const long long first = history.received;
    for (int i = 0; i < frames; ++i) {
        const float frame[2] = {static_cast<float>(left[i]), static_cast<float>(right[i])};
        line[span + i][0] = frame[0];
        line[span + i][1] = frame[1];
        const long long f = first + i;
        if (f >= 0 && f < startFrames) {
            start[f][0] = frame[0];
            start[f][1] = frame[1];
            if (f >= 1 && f <= mirroredStretches) {
                start[-f][0] = frame[0];
                start[-f][1] = frame[1];
            }
        }
    }
    history.received = first + frames;
    for (int i = 0; i < frames; ++i) {
        // The newest `span` frames, oldest first: the stretch `latency` frames back is in their middle.
        float peak = stretchPeak<floats>(filters, line + i + 1, history.previousLast);
        const long long stretch = first + i - InterSamplePeak::latency;
        if (stretch >= 0 && stretch < mirroredStretches)
            peak = std::max(peak, stretchPeak<floats>(filters, start + stretch - (span / 2 - 1),
                                                      history.startPreviousLast, stretch == 0));
        peaks[i] = peak;
    }
    std::memmove(&line[0][0], &line[frames][0], sizeof(float) * 2 * span);
}

}  // namespace TARN_LANES_ISA
}  // namespace InterSamplePeakLoop
