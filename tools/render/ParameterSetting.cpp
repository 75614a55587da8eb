#include "tools/render/ParameterSetting.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace Render {

namespace {

std::string lowered(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string withoutPoint(const std::string& s) { return !s.empty() && s.back() == '.' ? s.substr(0, s.size() - 1) : s; }

int findParameter(VstHost::HostedEffect& host, const std::string& name)
{
    const std::string wanted = withoutPoint(lowered(name));
    for (VstInt32 i = 0; i < host.effect()->numParams; ++i)
        if (withoutPoint(lowered(host.parameterText(effGetParamName, i))) == wanted)
            return i;
    return -1;
}

// The number a display text starts with, or NaN.
double displayNumber(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    return end == start ? std::nan("") : v;
}

std::string displayAt(VstHost::HostedEffect& host, int index, float v)
{
    host.setParameter(index, v);
    return host.parameterText(effGetParamDisplay, index);
}

}  // namespace

bool parseSetting(const std::string& text, ParameterSetting& setting)
{
    const auto cut = text.find('=');
    if (cut == std::string::npos || cut == 0)
        return false;
    setting = {text.substr(0, cut), text.substr(cut + 1)};
    return true;
}

bool applySetting(VstHost::HostedEffect& host, const ParameterSetting& setting, std::string& error)
{
    const int index = findParameter(host, setting.name);
    if (index < 0) {
        error = "no parameter named '" + setting.name + "'";
        return false;
    }
    char* end = nullptr;
    const double number = std::strtod(setting.value.c_str(), &end);
    const bool plain = end != setting.value.c_str() && *end == 0;
    if (plain) {
        if (!(number >= 0.0 && number <= 1.0)) {
            error = "normalized value for '" + setting.name + "' must lie in 0..1 (give a unit for a display value)";
            return false;
        }
        host.setParameter(index, static_cast<float>(number));
        return true;
    }

    // A display word: the first of 101 steps whose text matches, ignoring case and spaces.
    const std::string wanted = lowered(setting.value);
    for (int step = 0; step <= 100; ++step) {
        const float v = step / 100.0f;
        const std::string text = lowered(displayAt(host, index, v));
        std::string withUnit = text + lowered(host.parameterText(effGetParamLabel, index));
        withUnit.erase(std::remove_if(withUnit.begin(), withUnit.end(), [](char c) { return c == ' '; }), withUnit.end());
        if (withUnit == wanted || text == wanted)
            return true;
    }
    // A number with a unit: bisection over the display, which must be monotonic.
    const double target = end != setting.value.c_str() ? number : std::nan("");
    if (std::isnan(target)) {
        error = "cannot read '" + setting.value + "' as a value of '" + setting.name + "'";
        return false;
    }
    const double atLow = displayNumber(displayAt(host, index, 0.0f));
    const double atHigh = displayNumber(displayAt(host, index, 1.0f));
    if (std::isnan(atLow) || std::isnan(atHigh) || target < std::min(atLow, atHigh) || target > std::max(atLow, atHigh)) {
        error = "'" + setting.value + "' is outside the range of '" + setting.name + "'";
        return false;
    }
    const bool rising = atHigh >= atLow;
    // Where the display first reaches the target (or, strictly, passes it), by bisection.
    auto edge = [&](bool strictly) {
        double low = 0.0, high = 1.0;
        for (int i = 0; i < 40; ++i) {
            const double mid = 0.5 * (low + high);
            const double shown = displayNumber(displayAt(host, index, static_cast<float>(mid)));
            const bool before = rising ? (strictly ? shown <= target : shown < target)
                                       : (strictly ? shown >= target : shown > target);
            (before ? low : high) = mid;
        }
        return 0.5 * (low + high);
    };
    // The display rounds, so the values that show the target form a band: its middle is the value
    // meant (-10 dB is -10.00, not the -10.05 at the band's edge that also reads "-10.0").
    host.setParameter(index, static_cast<float>(0.5 * (edge(false) + edge(true))));
    return true;
}

}  // namespace Render
