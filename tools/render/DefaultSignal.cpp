#include "tools/render/DefaultSignal.h"

#include <cmath>
#include <cstdint>

namespace Render {

namespace {

constexpr double pi = 3.14159265358979323846;

// Deterministic noise in [-1, 1), so every render of the default signal is the same.
struct Noise {
    std::uint32_t state = 22222u;
    double next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::int32_t>(state) / 2147483648.0;
    }
};

}  // namespace

StereoAudio defaultSignal(double sampleRate, double seconds)
{
    StereoAudio audio;
    audio.sampleRate = sampleRate;
    const auto frames = static_cast<std::size_t>(sampleRate * seconds);
    audio.left.resize(frames);
    audio.right.resize(frames);

    const double beat = 60.0 / 120.0;  // 120 beats per minute
    Noise noise;
    double kickPhase = 0.0, bassPhase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = i / sampleRate;
        const double inBeat = std::fmod(t, beat);
        const double inHalf = std::fmod(t + beat / 2.0, beat);
        const double inEighth = std::fmod(t, beat / 2.0);

        // Kick: a sine sweeping from 150 Hz down to 50 Hz with a fast decay.
        const double kickFrequency = 50.0 + 100.0 * std::exp(-inBeat * 30.0);
        kickPhase += 2.0 * pi * kickFrequency / sampleRate;
        const double kick = 1.6 * std::exp(-inBeat * 9.0) * std::sin(kickPhase);

        // Snare on the off-beat: noise burst with a body tone.
        const double n = noise.next();
        const double snareEnvelope = std::exp(-inHalf * 22.0);
        const double snare = 1.1 * snareEnvelope * (0.8 * n + 0.4 * std::sin(2.0 * pi * 190.0 * inHalf));

        // Hats every eighth, short and bright.
        const double hat = 0.35 * std::exp(-inEighth * 90.0) * noise.next();

        // A sustained bass tone, slowly swelling.
        bassPhase += 2.0 * pi * 55.0 / sampleRate;
        const double bass = (0.35 + 0.1 * std::sin(2.0 * pi * 0.25 * t)) * std::sin(bassPhase);

        audio.left[i] = static_cast<float>(kick + snare * 0.9 + hat * 1.1 + bass);
        audio.right[i] = static_cast<float>(kick + snare * 1.1 + hat * 0.8 + bass);
    }
    return audio;
}

}  // namespace Render
