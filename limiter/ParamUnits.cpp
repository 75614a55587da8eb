#include "limiter/ParamUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ParamUnits {

namespace {

using LimiterParams::Declaration;
using LimiterParams::Taper;
using LimiterParams::TextFormat;

bool known(int index) { return index >= 0 && index < LimiterParams::count; }

// Decades between the ends of a logarithmic range (2 for 10..1000 ms); the ranges span whole decades,
// and the rounding keeps the count exact whatever the library's log10 gives.
double decades(const Declaration& d) { return std::round(std::log10(d.highest / d.lowest)); }

}  // namespace

// The forms are written so that the arithmetic is the one the texts have always used, operation for
// operation: (v - 1) x 20 for the threshold, v x 100 for the makeup, 10^(2v - 2) x 1000 for the release.
double displayValue(int index, float value)
{
    if (!known(index))
        return value;
    const Declaration& d = LimiterParams::declarations[index];
    const double v = value;
    switch (d.taper) {
    case Taper::linear: {
        const double span = d.highest - d.lowest;
        return (v + d.lowest / span) * span;
    }
    case Taper::logarithmic: {
        const double n = decades(d);
        return std::pow(10.0, n * v - n) * d.highest;
    }
    case Taper::twoChoices:
        return 0.5 < v ? d.highest : d.lowest;
    }
    return v;
}

float normalizedValue(int index, double shown)
{
    if (!known(index))
        return 0.0f;
    const Declaration& d = LimiterParams::declarations[index];
    if (std::isnan(shown))
        return d.defaultValue;
    const double x = std::clamp(shown, d.lowest, d.highest);
    double v = 0.0;
    switch (d.taper) {
    case Taper::linear: {
        const double span = d.highest - d.lowest;
        v = x / span - d.lowest / span;
        break;
    }
    case Taper::logarithmic: {
        const double n = decades(d);
        v = (std::log10(x / d.highest) + n) / n;
        break;
    }
    case Taper::twoChoices:
        v = x > 0.5 * (d.lowest + d.highest) ? 1.0 : 0.0;
        break;
    }
    return static_cast<float>(std::clamp(v, 0.0, 1.0));
}

bool displayText(int index, float v, char* text, std::size_t size)
{
    if (!known(index) || size == 0)
        return false;
    const Declaration& d = LimiterParams::declarations[index];
    const double shown = displayValue(index, v);
    switch (d.format) {
    case TextFormat::oneDecimal:
        std::snprintf(text, size, "%.1f", shown);
        break;
    case TextFormat::wholeNumber:
        std::snprintf(text, size, "%d", static_cast<int>(shown));
        break;
    case TextFormat::wholeWithUnit:
        std::snprintf(text, size, "%d%s", static_cast<int>(shown), d.unit);
        break;
    }
    return true;
}

void editorText(int index, float v, char* text, char* unit)
{
    char shown[8] = {};
    if (!displayText(index, v, shown, sizeof shown))
        shown[0] = 0;
    std::memcpy(text, shown, sizeof shown);
    const bool known = index >= 0 && index < LimiterParams::count;
    std::strcpy(unit, known ? LimiterParams::hostLabel(LimiterParams::declarations[index]) : "");
}

}  // namespace ParamUnits
