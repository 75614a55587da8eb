// The limiter's parameters in one place: index, name, unit and built-in default.
#pragma once

namespace LimiterParams {

enum Index { threshold = 0, release, makeup, meterScale, dither, count };

struct Declaration {
    const char* name;
    const char* label;
    float defaultValue;
};

constexpr Declaration declarations[count] = {
    {"thresh.", "dB", 1.0f},
    {"release", "ms", 0.5f},
    {"makeup", "%", 0.0f},
    {"d.scale", "", 0.0f},
    {"dither", "bits", 1.0f},
};

}  // namespace LimiterParams
