#include "tools/render/ParameterSetting.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace Render {

namespace {

// A control showing this many different texts or fewer over its range is a switch.
constexpr std::size_t switchPositions = 8;

std::string lowered(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string withoutPoint(const std::string& s) { return !s.empty() && s.back() == '.' ? s.substr(0, s.size() - 1) : s; }

}  // namespace

bool namesParameter(const std::string& name, const std::string& asked)
{
    const std::string have = withoutPoint(lowered(name)), wanted = withoutPoint(lowered(asked));
    return !wanted.empty() && have.compare(0, wanted.size(), wanted) == 0;
}

int findParameterIndex(PluginHost::HostedPlugin& host, const std::string& name)
{
    const std::string wanted = withoutPoint(lowered(name));
    if (wanted.empty())
        return -1;
    // The name itself; else the one name it begins (formats with room give "Threshold" for the
    // "thresh." of VST 2.4).
    int begun = -1, begunCount = 0;
    for (int i = 0; i < host.parameterCount(); ++i) {
        const std::string have = withoutPoint(lowered(host.parameterName(i)));
        if (have == wanted)
            return i;
        if (have.compare(0, wanted.size(), wanted) == 0)
            begun = i, ++begunCount;
    }
    return begunCount == 1 ? begun : -1;
}

namespace {

// The number a display text starts with, or NaN.
double displayNumber(const std::string& text)
{
    const char* start = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    return end == start ? std::nan("") : v;
}

std::string displayAt(PluginHost::HostedPlugin& host, int index, float v)
{
    host.setParameter(index, v);
    return host.parameterDisplay(index);
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

namespace {

std::string withoutSpaces(std::string s)
{
    s.erase(std::remove_if(s.begin(), s.end(), [](unsigned char c) { return std::isspace(c); }), s.end());
    return s;
}

// The distinct display texts (with the label) over the parameter's range, in order; more than a few
// means a continuous control.
std::vector<std::string> displayWords(PluginHost::HostedPlugin& host, int index, const std::string& label)
{
    std::vector<std::string> words;
    for (int step = 0; step <= 100 && words.size() <= switchPositions; ++step) {
        const std::string word = withoutSpaces(displayAt(host, index, step / 100.0f) + label);
        if (std::find(words.begin(), words.end(), word) == words.end())
            words.push_back(word);
    }
    return words;
}

std::string listed(const std::vector<std::string>& words)
{
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

bool setByDisplay(PluginHost::HostedPlugin& host, int index, const ParameterSetting& setting, std::string& error)
{
    const std::string label = host.parameterLabel(index);
    const std::string wanted = lowered(withoutSpaces(setting.value));
    const std::vector<std::string> words = displayWords(host, index, label);
    if (words.size() <= switchPositions) {
        // A switch takes only its own words ("24bits", "24").
        for (int step = 0; step <= 100; ++step) {
            const std::string text = withoutSpaces(displayAt(host, index, step / 100.0f));
            if (lowered(text + withoutSpaces(label)) == wanted || lowered(text) == wanted)
                return true;
        }
        error = "'" + setting.name + "' takes " + listed(words) + " (or a normalized value from 0 to 1), not '" +
                setting.value + "'";
        return false;
    }

    // A number, then nothing but the parameter's own unit.
    const char* start = setting.value.c_str();
    char* end = nullptr;
    const double target = std::strtod(start, &end);
    const std::string unit = lowered(withoutSpaces(end));
    const double atLow = displayNumber(displayAt(host, index, 0.0f));
    const double atHigh = displayNumber(displayAt(host, index, 1.0f));
    char range[96];
    std::snprintf(range, sizeof range, "%g to %g %s", std::min(atLow, atHigh), std::max(atLow, atHigh), label.c_str());
    const std::string takes = "'" + setting.name + "' takes a value from " + range + " (or a normalized value from 0 to 1)";
    if (end == start || !std::isfinite(target) || unit != lowered(withoutSpaces(label))) {
        error = takes + ", not '" + setting.value + "'";
        return false;
    }
    if (std::isnan(atLow) || std::isnan(atHigh) || target < std::min(atLow, atHigh) || target > std::max(atLow, atHigh)) {
        error = "'" + setting.value + "' is outside the range of '" + setting.name + "': it takes " + range;
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

}  // namespace

bool applySetting(PluginHost::HostedPlugin& host, const ParameterSetting& setting, std::string& error)
{
    const int index = findParameterIndex(host, setting.name);
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
    const float before = host.parameter(index);
    if (setByDisplay(host, index, setting, error))
        return true;
    host.setParameter(index, before);
    return false;
}

}  // namespace Render
