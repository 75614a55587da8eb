#include "limiter/ParamUnits.h"

#include <algorithm>
#include <cmath>

namespace ParamUnits {

namespace {

constexpr DisplayRange ranges[LimiterParams::count] = {
    {-20.0, 0.0, false},    // thresh.
    {10.0, 1000.0, false},  // release
    {0.0, 100.0, false},    // makeup
    {20.0, 40.0, true},     // d.scale
    {16.0, 24.0, true},     // dither
};

}  // namespace

DisplayRange displayRange(int index)
{
    return index >= 0 && index < LimiterParams::count ? ranges[index] : DisplayRange{0.0, 1.0, false};
}

double displayValue(int index, float value)
{
    const double v = value;
    switch (index) {
    case LimiterParams::threshold:
        return 20.0 * (v - 1.0);
    case LimiterParams::release:
        return std::pow(10.0, 2.0 * v - 2.0) * 1000.0;
    case LimiterParams::makeup:
        return v * 100.0;
    case LimiterParams::meterScale:
    case LimiterParams::dither:
        return 0.5 < v ? ranges[index].highest : ranges[index].lowest;
    default:
        return v;
    }
}

float normalizedValue(int index, double shown)
{
    if (index < 0 || index >= LimiterParams::count)
        return 0.0f;
    if (std::isnan(shown))
        return LimiterParams::declarations[index].defaultValue;
    const DisplayRange& range = ranges[index];
    const double x = std::clamp(shown, range.lowest, range.highest);
    double v = 0.0;
    switch (index) {
    case LimiterParams::threshold:
        v = x / 20.0 + 1.0;
        break;
    case LimiterParams::release:
        v = (std::log10(x / 1000.0) + 2.0) / 2.0;
        break;
    case LimiterParams::makeup:
        v = x / 100.0;
        break;
    default:
        v = x > 0.5 * (range.lowest + range.highest) ? 1.0 : 0.0;
        break;
    }
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

}  // namespace ParamUnits
