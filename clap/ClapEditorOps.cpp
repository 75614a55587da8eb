#include "clap/ClapEditorOps.h"

#include <cstring>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"

namespace ClapFace {

int ClapEditorOps::parameterCount() { return LimiterParams::count; }

void ClapEditorOps::setParameter(int index, float value)
{
    driver.setParameter(index, value);
    note(EditNote::change, index, driver.parameter(index));  // as the effect clamped it
}

void ClapEditorOps::note(EditNote::Kind kind, int index, double value)
{
    if (index < 0 || index >= LimiterParams::count)
        return;
    notes.push({kind, index, value});
    if (askFlush)
        askFlush(context);
}

float ClapEditorOps::defaultValue(int index)
{
    return index >= 0 && index < LimiterParams::count ? LimiterParams::declarations[index].defaultValue : 0.0f;
}

// As the effect answers a VST 2.4 host: at most 7 characters of text, and the unit label.
void ClapEditorOps::displayText(int index, float value, char* text, char* unit)
{
    char shown[8] = {};
    if (!ParamUnits::displayText(index, value, shown, sizeof shown))
        shown[0] = 0;
    std::memcpy(text, shown, sizeof shown);
    const bool known = index >= 0 && index < LimiterParams::count;
    std::strcpy(unit, known ? LimiterParams::hostLabel(LimiterParams::declarations[index]) : "");
}

const char* ClapEditorOps::productName() { return ProductFacts::name; }

}  // namespace ClapFace
