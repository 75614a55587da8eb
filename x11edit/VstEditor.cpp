#include "x11edit/VstEditor.h"

#include <cstdint>
#include <memory>

#include "host/AudioEffectX.h"
#include "plugcore/Plug.h"
#include "plugedit/PlugOps.h"
#include "x11edit/EditorScale.h"

namespace X11Edit {

VstEditor::VstEditor(const EditorLayout& layout, AudioEffect* effect)
    : AEffEditor(effect),
      EditCore(layout.meterBytes, std::make_unique<PlugEdit::PlugOps>(*static_cast<PlugCore::Plug*>(effect))),
      layout(layout)
{
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<VstInt16>(layout.height);
    rect.right = static_cast<VstInt16>(layout.width);
}

VstEditor::~VstEditor() { close(); }

bool VstEditor::getRect(ERect** out)
{
    if (!out)
        return false;
    const int s = scale();
    rect.bottom = static_cast<VstInt16>(layout.height * s);
    rect.right = static_cast<VstInt16>(layout.width * s);
    *out = &rect;
    return true;
}

int VstEditor::scale()
{
    if (fromHost)
        return fromHost;
    if (!fromDesktop)
        fromDesktop = desktopScale();
    return fromDesktop;
}

bool VstEditor::setContentScale(float factor)
{
    const int asked = scaleForFactor(factor);
    if (!asked)
        return false;
    fromHost = asked;
    if (window && window->scale() != fromHost) {
        void* parent = systemWindow;
        close();
        auto* host = dynamic_cast<AudioEffectX*>(effect);
        if (open(parent) && host)
            host->sizeWindow(layout.width * fromHost, layout.height * fromHost);
    }
    return true;
}

bool VstEditor::open(void* parentWindow)
{
    if (window)
        return true;
    // Made outside the lock (it connects to the server); entered under it.
    std::unique_ptr<EditorWindow> made;
    try {
        made.reset(new EditorWindow(layout, *this, *this, scale()));
    } catch (...) {
        return false;
    }
    if (!made->open(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(parentWindow))))
        return false;
    lockMeters();
    window = std::move(made);
    systemWindow = parentWindow;
    unlockMeters();
    window->idle();  // shows itself before the host's first idle call
    return true;
}

void VstEditor::close()
{
    lockMeters();
    std::unique_ptr<EditorWindow> going = std::move(window);
    abandonLearn();
    systemWindow = nullptr;
    unlockMeters();
    going.reset();  // ends a running drag's edit, destroys the window: no other thread can reach it now
}

void VstEditor::idle()
{
    if (window)
        window->idle();
}

// Some hosts send Escape as its character (27) without a virtual key.
bool VstEditor::onKeyDown(VstInt32 character, VstInt32 virtualKey, VstInt32)
{
    const bool escape = virtualKey == VKEY_ESCAPE || (virtualKey == 0 && character == 27);
    return window && escape && window->cancelOverlay();
}

bool VstEditor::postToControl(int, unsigned, std::uint32_t)
{
    if (!window)
        return false;
    window->noteChange();
    return true;
}

void VstEditor::tellControl(int, unsigned)
{
    if (window)
        window->noteChange();
}

}  // namespace X11Edit
