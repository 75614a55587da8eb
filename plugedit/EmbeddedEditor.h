// The limiter's editor in a window that a host of another format (CLAP, VST3) hands the plug-in: the
// X11 editor on Linux, the Windows editor on Windows, over the format's editor operations and the
// meter mailbox its driver fills. The formats' glue asks this for what differs between the two.
#pragma once

#include <cstdint>
#include <memory>

#include "plugedit/EditorOps.h"
#include "plugedit/MeterMailbox.h"

namespace PlugEdit {

class EmbeddedEditor {
public:
#ifdef _WIN32
    // The editor's own window timer draws it and shows what changed; the host's timer is not needed.
    static constexpr bool drivenByHostTimer = false;
#else
    // Only the host's timer draws it (X11 gives a plug-in no timer of its own).
    static constexpr bool drivenByHostTimer = true;
#endif

    // Made in the host's window (an X11 window ID or an HWND) at `scale` (1, or 2 where the platform
    // draws it); null when it cannot be made there.
    static std::unique_ptr<EmbeddedEditor> create(std::uintptr_t parent, EditorOps& ops, MeterMailbox& meters,
                                                  int scale);
    // The scale for a host's factor (1, or 2 for 1.5 or more where the platform draws it); 0 for a
    // factor that is not a positive number.
    static int scaleForFactor(float factor);
    // The scale when the host says nothing: the desktop's.
    static int desktopScale();

    virtual ~EmbeddedEditor() = default;
    // The host's timer, where it drives the editor: what the host or a controller changed since the last
    // tick (values, the learn) is shown, then the window's events, meters and drawing.
    virtual void tick() = 0;
    virtual bool isOpen() = 0;
};

}  // namespace PlugEdit
