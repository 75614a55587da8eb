// The editor in a CLAP host's window: on Linux a child of the X11 window the host gives, driven by the
// host's timer (no thread of our own), at 1x or twice the size as the host or the desktop asks; on
// Windows a child of the host's HWND, drawn by its own window timer at one size.
#pragma once

#include <clap/ext/gui.h>
#include <clap/ext/params.h>
#include <clap/ext/timer-support.h>

#include <cstdint>
#include <memory>

#include "clap/ClapEditorOps.h"
#include "plugedit/EmbeddedEditor.h"
#include "plugedit/MeterMailbox.h"

namespace ClapFace {

class EditorGui {
public:
#ifdef _WIN32
    static constexpr const char* windowApi = CLAP_WINDOW_API_WIN32;
#else
    static constexpr const char* windowApi = CLAP_WINDOW_API_X11;
#endif

    EditorGui(Driver::EffectDriver& driver, EditNotes& notes, PlugEdit::MeterMailbox& meters, const clap_host_t* host);
    ~EditorGui();
    EditorGui(const EditorGui&) = delete;
    EditorGui& operator=(const EditorGui&) = delete;

    // A host's factor: true when the editor can be drawn at it (1, or 2 for 1.5 or more on Linux). An
    // open editor is made again at the new size and the host asked to fit it.
    bool setScale(double factor);
    void size(std::uint32_t& width, std::uint32_t& height) const;
    // Opens the editor in the host's window (of `windowApi`) and starts the host's timer where it needs
    // one; false without either.
    bool setParent(const clap_window_t& window);
    // The host's timer: values the host changed, events, meters, redraw.
    void onTimer(clap_id timer);

private:
    bool open();

    PlugEdit::MeterMailbox& meters;
    const clap_host_t* host;
    const clap_host_timer_support_t* timers = nullptr;
    const clap_host_gui_t* hostGui = nullptr;
    ClapEditorOps ops;
    std::unique_ptr<PlugEdit::EmbeddedEditor> window;
    std::uintptr_t parent = 0;
    int scale;
    clap_id timer = CLAP_INVALID_ID;
};

}  // namespace ClapFace
