#include "plugedit/EditCore.h"

#include "plugedit/EditMessages.h"

namespace PlugEdit {

EditCore::EditCore(int meterBytes, PlugCore::Plug& plug) : MeterMailbox(meterBytes), plugged(plug) {}

void EditCore::paramChanged(int index, float value)
{
    if (!tryLockMeters())
        return;  // the window is being made or destroyed: this change is dropped
    postToControl(index, MSG_PARAM_VALUE, bitsOf(value));
    unlockMeters();
}

void EditCore::paramLearned(int index)
{
    if (!tryLockMeters())
        return;
    if (learnActive && learnIndex == index && postToControl(index, MSG_LEARN_END, 0))
        learnActive = false;
    unlockMeters();
}

// The window spins for the lock as the meter timer does: the audio thread reads the pair under it and
// must never see the new `learnActive` beside the old `learnIndex`.
void EditCore::startLearn(int index)
{
    lockMeters();
    const bool replacing = learnActive;
    const int replaced = learnIndex;
    learnActive = true;
    learnIndex = index;
    unlockMeters();
    if (replacing)
        tellControl(replaced, MSG_LEARN_END);
    plugged.armLearn(index);  // only for an index of the table
    tellControl(index, MSG_LEARN_START);
}

void EditCore::endLearn()
{
    lockMeters();
    const bool wasActive = learnActive;
    const int index = learnIndex;
    learnActive = false;
    unlockMeters();
    if (!wasActive)
        return;
    plugged.cancelLearn();
    tellControl(index, MSG_LEARN_END);
}

bool EditCore::isLearning()
{
    lockMeters();
    const bool active = learnActive;
    unlockMeters();
    return active;
}

bool EditCore::isLearning(int index)
{
    lockMeters();
    const bool active = learnActive && learnIndex == index;
    unlockMeters();
    return active;
}

int EditCore::parameterCount() { return static_cast<int>(plugged.paramTable().size()); }

float EditCore::parameter(int index) { return plugged.getParameter(index); }

void EditCore::setParameter(int index, float value) { plugged.setParameterAutomated(index, value); }

void EditCore::beginEdit(int index) { plugged.beginEdit(index); }

void EditCore::endEdit(int index) { plugged.endEdit(index); }

float EditCore::defaultValue(int index)
{
    return index >= 0 && index < parameterCount() ? plugged.paramTable()[index].defaultValue : 0.0f;
}

void EditCore::displayText(int index, float value, char* text, char* unit)
{
    plugged.getDisplayText(index, text, value);
    plugged.getParameterLabel(index, unit);
}

std::int32_t EditCore::midiKey(int index)
{
    return index >= 0 && index < parameterCount() ? plugged.paramTable()[index].midiKey.load(std::memory_order_relaxed)
                                                  : -1;
}

void EditCore::unlearn(int index)
{
    if (index >= 0 && index < parameterCount())
        plugged.unlearn(index);
}

const char* EditCore::productName() { return plugged.getName(); }

void EditCore::saveDefaults() { plugged.saveDefaults(); }

void EditCore::abandonLearn()
{
    if (learnActive)
        plugged.cancelLearn();
    learnActive = false;
}

}  // namespace PlugEdit
