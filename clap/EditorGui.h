// The editor in a CLAP host's window (X11): a child of the window the host gives, driven by the host's
// timer (no thread of our own), at 1x or twice the size as the host or the desktop asks.
#pragma once

#include <clap/ext/gui.h>
#include <clap/ext/params.h>
#include <clap/ext/timer-support.h>

#include <cstdint>
#include <memory>

#include "clap/ClapEditorOps.h"
#include "plugedit/MeterMailbox.h"

namespace X11Edit {
class EditorWindow;
}

namespace ClapFace {

class EditorGui {
public:
    EditorGui(Driver::EffectDriver& driver, EditNotes& notes, PlugEdit::MeterMailbox& meters, const clap_host_t* host);
    ~EditorGui();
    EditorGui(const EditorGui&) = delete;
    EditorGui& operator=(const EditorGui&) = delete;

    // A host's factor: 1 or 2 (a factor of 1.5 or more); false for one that is not a positive number.
    // An open editor is made again at the new size and the host asked to fit it.
    bool setScale(double factor);
    void size(std::uint32_t& width, std::uint32_t& height) const;
    // Opens the editor in the host's window and starts the host's timer; false without either.
    bool setParent(clap_xwnd parent);
    // The host's timer: events, meters, values the host changed, redraw.
    void onTimer(clap_id timer);

private:
    bool open();

    Driver::EffectDriver& driver;
    PlugEdit::MeterMailbox& meters;
    const clap_host_t* host;
    const clap_host_timer_support_t* timers = nullptr;
    const clap_host_gui_t* hostGui = nullptr;
    ClapEditorOps ops;
    std::unique_ptr<X11Edit::EditorWindow> window;
    clap_xwnd parent = 0;
    int scale;
    clap_id timer = CLAP_INVALID_ID;
    float shown[8] = {};
    int shownLearn = -1;
};

}  // namespace ClapFace
