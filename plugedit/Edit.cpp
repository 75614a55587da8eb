#include "plugedit/Edit.h"

#include <memory>

#include "plugedit/EditMessages.h"
#include "plugedit/EditWin.h"
#include "plugedit/PlugOps.h"

namespace PlugEdit {

Edit::Edit(const EditorLayout& description, AudioEffect* effect)
    : AEffEditor(effect),
      EditCore(description.meterBytes, std::make_unique<PlugOps>(*static_cast<PlugCore::Plug*>(effect))),
      desc(&description)
{
    setRect(description);
}

Edit::Edit(const EditorLayout& description, EditorOps& ops)
    : AEffEditor(nullptr), EditCore(description.meterBytes, ops), desc(&description)
{
    setRect(description);
}

void Edit::setRect(const EditorLayout& description)
{
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
        closing = true;
        if (window && window->hwnd)
            DestroyWindow(window->hwnd);
        else if (window)
            delete window;  // its window was never created, so nothing else will delete it
        closing = false;
        window = nullptr;
        systemWindow = nullptr;
    }
    unlockMeters();
}

void Edit::createControls(EditWin&) {}
bool Edit::updateMeters(void*) { return false; }
void Edit::paintOverlay(EditWin&, HDC) {}

void Edit::windowDestroyed()
{
    const bool lockHere = !closing;
    if (lockHere)
        lockMeters();
    abandonLearn();
    window = nullptr;
    if (lockHere)
        unlockMeters();
}

bool Edit::postToControl(int index, unsigned message, std::uint32_t wParam)
{
    if (!isOpenFlag || !window)
        return false;
    HWND control = window->controlWindow(index);
    if (!control)
        return false;
    PostMessageA(control, message, wParam, 0);
    return true;
}

void Edit::tellControl(int index, unsigned message)
{
    if (!window)
        return;
    if (HWND control = window->controlWindow(index))
        SendMessageA(control, message, 0, 0);
}

}  // namespace PlugEdit
