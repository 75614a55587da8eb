// The window a host opens a plug-in's editor into on X11, on a connection of the host's own, and the
// steady idle calls with which Linux hosts drive an open editor.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

#include "tools/vsthost/HostedEffect.h"

namespace VstHost {

class X11HostWindow {
public:
    // A mapped top-level window of the given size on $DISPLAY; null without an X server.
    static std::unique_ptr<X11HostWindow> create(int width, int height);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    std::uint32_t window() const { return id; }
    // effEditOpen's pointer: the window id itself, as Linux hosts pass it.
    void* editorParent() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)); }
    xcb_connection_t* connection() const { return c; }
    // Drops what the server sent us, without waiting.
    void pumpEvents();
    // Destroys the window now (a host may do so before it closes the editor); the object stays.
    void destroyWindow();
    // One round trip: everything sent so far has been carried out.
    void sync();

private:
    X11HostWindow(xcb_connection_t* connection, std::uint32_t window) : c(connection), id(window) {}

    xcb_connection_t* c;
    std::uint32_t id;
};

// effEditOpen into the window; true when the plug-in answers 1.
bool openEditor(HostedEffect& effect, const X11HostWindow& window);
// effEditIdle `perSecond` times a second for `milliseconds`, pumping the host window's events between.
void idleEditor(HostedEffect& effect, X11HostWindow& window, int milliseconds, int perSecond = 50);

}  // namespace VstHost
