#include "plugedit/EditCore.h"

#include "plugedit/EditMessages.h"

namespace PlugEdit {

EditCore::EditCore(int meterBytes, EditorOps& target) : MeterMailbox(meterBytes), target(target) {}

EditCore::EditCore(int meterBytes, std::unique_ptr<EditorOps> ownTarget)
    : MeterMailbox(meterBytes), ownTarget(std::move(ownTarget)), target(*this->ownTarget)
{
}

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
    target.startLearn(index);
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
    target.endLearn();
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

int EditCore::parameterCount() { return target.parameterCount(); }
float EditCore::parameter(int index) { return target.parameter(index); }
void EditCore::setParameter(int index, float value) { target.setParameter(index, value); }
void EditCore::beginEdit(int index) { target.beginEdit(index); }
void EditCore::endEdit(int index) { target.endEdit(index); }
float EditCore::defaultValue(int index) { return target.defaultValue(index); }
void EditCore::displayText(int index, float value, char* text, char* unit)
{
    target.displayText(index, value, text, unit);
}
std::int32_t EditCore::midiKey(int index) { return target.midiKey(index); }
void EditCore::unlearn(int index) { target.unlearn(index); }
const char* EditCore::productName() { return target.productName(); }
void EditCore::saveDefaults() { target.saveDefaults(); }
bool EditCore::reachesPlugin() { return target.reachesPlugin(); }

void EditCore::abandonLearn()
{
    if (learnActive)
        target.endLearn();
    learnActive = false;
}

}  // namespace PlugEdit
