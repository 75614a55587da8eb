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

void EditCore::abandonLearn()
{
    if (learnActive)
        plugged.cancelLearn();
    learnActive = false;
}

}  // namespace PlugEdit
