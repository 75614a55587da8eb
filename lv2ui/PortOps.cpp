#include "lv2ui/PortOps.h"

#include <new>

#include "limiter/ParamUnits.h"
#include "lv2/Lv2Ports.h"

namespace Lv2Ui {

namespace {

VstIntPtr VSTCALLBACK silentHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

}  // namespace

PortOps::PortOps(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch)
    : write(write), controller(controller), touch(touch),
      shadow(static_cast<Limiter*>(createLimiter(silentHost, nullptr)))
{
    if (!shadow)
        throw std::bad_alloc();
}

void PortOps::portChanged(int index, float shown)
{
    if (known(index))
        shadow->setParameter(index, ParamUnits::normalizedValue(index, shown));
}

float PortOps::parameter(int index) { return known(index) ? shadow->getParameter(index) : 0.0f; }

void PortOps::setParameter(int index, float value)
{
    if (!known(index))
        return;
    shadow->setParameter(index, value);
    const float shown = static_cast<float>(ParamUnits::displayValue(index, shadow->getParameter(index)));
    if (write)
        write(controller, Lv2Ports::firstControl + static_cast<unsigned>(index), sizeof shown, 0, &shown);
}

void PortOps::grab(int index, bool grabbed)
{
    if (known(index) && touch && touch->touch)
        touch->touch(touch->handle, Lv2Ports::firstControl + static_cast<unsigned>(index), grabbed);
}

float PortOps::defaultValue(int index) { return known(index) ? shadow->paramTable()[index].defaultValue : 0.0f; }

void PortOps::displayText(int index, float value, char* text, char* unit)
{
    shadow->getDisplayText(index, text, value);
    shadow->getParameterLabel(index, unit);
}

const char* PortOps::productName() { return shadow->getName(); }

}  // namespace Lv2Ui
