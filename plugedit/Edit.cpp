#include "plugedit/Edit.h"

#include "plugedit/EditMessages.h"
#include "plugedit/EditWin.h"

namespace PlugEdit {

Edit::Edit(const EditorLayout& description, AudioEffect* effect)
    : AEffEditor(effect), MeterMailbox(description.meterBytes), desc(&description)
{
    effect->setEditor(this);
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(description.height);
    rect.right = static_cast<VstInt16>(description.width);
}

Edit::~Edit()
{
    if (isOpenFlag)
        close();
}

bool Edit::getRect(ERect** out)
{
    if (!out)
        return false;
    *out = &rect;
    return true;
}

bool Edit::open(void* parentWindow)
{
    lockMeters();
    if (!isOpenFlag) {
        systemWindow = parentWindow;
        // Whatever fails here must not leave the lock held.
        try {
            window = new EditWin(*desc, static_cast<HWND>(parentWindow), *this);
        } catch (...) {
            window = nullptr;
        }
        isOpenFlag = true;
    }
    unlockMeters();
    return true;
}

void Edit::close()
{
    lockMeters();
    if (isOpenFlag) {
        isOpenFlag = false;
        // The window's destructor clears `window` and abandons a pending learn, under the lock.
        if (window && window->hwnd)
            DestroyWindow(window->hwnd);
        else if (window)
            delete window;  // its window was never created, so nothing else will delete it
        window = nullptr;
        systemWindow = nullptr;
    }
    unlockMeters();
}

void Edit::createControls(EditWin&) {}
bool Edit::updateMeters(void*) { return false; }
void Edit::paintOverlay(EditWin&, HDC) {}

void Edit::paramChanged(int index, float value)
{
    if (!tryLockMeters())
        return;  // the window is being made or destroyed: this change is dropped
    if (isOpenFlag && window)
        if (HWND control = window->controlWindow(index))
            PostMessageA(control, MSG_PARAM_VALUE, floatBits(value), 0);
    unlockMeters();
}

void Edit::paramLearned(int index)
{
    if (!tryLockMeters())
        return;
    if (isOpenFlag && window && window->learnActive && window->learnIndex == index)
        if (HWND control = window->controlWindow(index)) {
            PostMessageA(control, MSG_LEARN_END, 0, 0);
            window->learnActive = false;
        }
    unlockMeters();
}

}  // namespace PlugEdit
