#include "plugedit/PlugOps.h"

namespace PlugEdit {

int PlugOps::parameterCount() { return static_cast<int>(plug.paramTable().size()); }

float PlugOps::defaultValue(int index)
{
    return index >= 0 && index < parameterCount() ? plug.paramTable()[index].defaultValue : 0.0f;
}

void PlugOps::displayText(int index, float value, char* text, char* unit)
{
    plug.getDisplayText(index, text, value);
    plug.getParameterLabel(index, unit);
}

std::int32_t PlugOps::midiKey(int index)
{
    return index >= 0 && index < parameterCount() ? plug.paramTable()[index].midiKey.load(std::memory_order_relaxed)
                                                  : -1;
}

void PlugOps::unlearn(int index)
{
    if (index >= 0 && index < parameterCount())
        plug.unlearn(index);
}

}  // namespace PlugEdit
