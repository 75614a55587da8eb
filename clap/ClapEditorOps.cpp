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

void ClapEditorOps::displayText(int index, float value, char* text, char* unit)
{
    ParamUnits::editorText(index, value, text, unit);
}

const char* ClapEditorOps::productName() { return ProductFacts::name; }

}  // namespace ClapFace
