#include "lv2ui/PortOps.h"

#include <cstring>

#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "lv2/Lv2Ports.h"
#include "plugcore/ParamTable.h"

namespace Lv2Ui {

PortOps::PortOps(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch)
    : write(write), controller(controller), touch(touch)
{
    for (int i = 0; i < LimiterParams::count; ++i)
        values[i] = PlugCore::clampNormalized(LimiterParams::declarations[i].defaultValue);
}

const EditorLayout& PortOps::layout() const { return limiterEditorLayout; }

void PortOps::portChanged(int index, float shown)
{
    if (known(index))
        values[index] = ParamUnits::normalizedValue(index, shown);
}

float PortOps::parameter(int index) { return known(index) ? values[index] : 0.0f; }

// Clamped as the effect clamps what it is given, so the port gets the value the effect will hold.
void PortOps::setParameter(int index, float value)
{
    if (!known(index))
        return;
    values[index] = PlugCore::clampNormalized(value);
    const float shown = static_cast<float>(ParamUnits::displayValue(index, values[index]));
    if (write)
        write(controller, Lv2Ports::firstControl + static_cast<unsigned>(index), sizeof shown, 0, &shown);
}

void PortOps::grab(int index, bool grabbed)
{
    if (known(index) && touch && touch->touch)
        touch->touch(touch->handle, Lv2Ports::firstControl + static_cast<unsigned>(index), grabbed);
}

// The description's default: what the host's own reset gives too.
float PortOps::defaultValue(int index) { return known(index) ? LimiterParams::declarations[index].defaultValue : 0.0f; }

void PortOps::displayText(int index, float value, char* text, char* unit) { ParamUnits::editorText(index, value, text, unit); }

const char* PortOps::productName() { return ProductFacts::name; }

}  // namespace Lv2Ui
