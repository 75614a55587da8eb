// The editor as a VST3 plug-in view (IPlugView). On Linux the X11 editor in the window the host gives
// (X11EmbedWindowID), driven by the host's run loop timer from its plug-in frame (there is no idle call
// in VST3, and no thread of our own), at 1x or twice the size (IPlugViewContentScaleSupport); on
// Windows the Windows editor in the host's HWND, drawn by its own window timer at 1x. One fixed size.
// What the user does reaches the host as beginEdit, performEdit and endEdit on its component handler,
// from the user-interface thread, as VST3 asks; the host hands the values to the processor.
#pragma once

#include <travesty/edit_controller.h>
#include <travesty/view.h>

#include "driver/EffectDriver.h"
#include "plugedit/MeterMailbox.h"

namespace Vst3Face {

// What a view needs of the controller that made it, which it keeps alive while it lives.
class ViewOwner {
public:
    virtual ~ViewOwner() = default;
    // The effect the processor runs: MIDI learn, bindings, the defaults file.
    virtual Driver::EffectDriver& effect() = 0;
    virtual PlugEdit::MeterMailbox& meters() = 0;
    // The controller's values, and the user's edits, which the host hears of (beginEdit, performEdit,
    // endEdit) and hands the processor.
    virtual float value(int index) = 0;
    virtual void beginEdit(int index) = 0;
    virtual void edit(int index, float value) = 0;
    virtual void endEdit(int index) = 0;
    virtual void retain() = 0;
    virtual void release() = 0;
};

// A new view (one reference, the caller's), or null.
v3_plugin_view** createView(ViewOwner& owner);

}  // namespace Vst3Face
