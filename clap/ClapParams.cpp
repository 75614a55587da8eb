#include "clap/ClapParams.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"

namespace ClapFace {

namespace {

void copyText(char* to, std::size_t size, const char* from)
{
    if (size == 0)
        return;
    std::strncpy(to, from, size - 1);
    to[size - 1] = 0;
}

std::string lowered(const char* s)
{
    std::string out;
    for (; *s; ++s)
        if (!std::isspace(static_cast<unsigned char>(*s)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(*s)));
    return out;
}

}  // namespace

void parameterInfo(int index, clap_param_info_t& info)
{
    const LimiterParams::Declaration& d = LimiterParams::declarations[index];
    info = clap_param_info_t{};
    info.id = static_cast<clap_id>(index);
    info.flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (LimiterParams::isSwitch(index))
        info.flags |= CLAP_PARAM_IS_STEPPED;
    info.cookie = nullptr;
    copyText(info.name, sizeof info.name, d.title);
    copyText(info.module, sizeof info.module, "");
    // A switch steps between 0 and 1; its two values are the ends of the normalized range.
    info.min_value = 0.0;
    info.max_value = 1.0;
    info.default_value = d.defaultValue;
}

bool valueToText(int index, double value, char* text, std::uint32_t size)
{
    if (index < 0 || index >= LimiterParams::count || !text || size == 0)
        return false;
    char shown[32];
    if (!ParamUnits::displayText(index, static_cast<float>(value), shown, sizeof shown))
        return false;
    const char* unit = LimiterParams::hostLabel(LimiterParams::declarations[index]);
    char whole[48];
    std::snprintf(whole, sizeof whole, *unit ? "%s %s" : "%s", shown, unit);
    copyText(text, size, whole);
    return true;
}

bool textToValue(int index, const char* text, double& value)
{
    if (index < 0 || index >= LimiterParams::count || !text)
        return false;
    char* end = nullptr;
    const double shown = std::strtod(text, &end);
    if (end == text || !std::isfinite(shown))
        return false;
    const std::string rest = lowered(end);
    const std::string unit = lowered(LimiterParams::declarations[index].unit);
    if (!rest.empty() && rest != unit)
        return false;
    value = ParamUnits::normalizedValue(index, shown);
    return true;
}

}  // namespace ClapFace
