// A plain child window of a host's window, on a connection of its own, that hands its events to virtual
// handlers of the owning object and shows canvases. No thread of its own and no waiting: the owner calls
// dispatchEvents and present from the host's idle calls. The host may destroy its window before or after
// this object; either way nothing of ours faults, and the errors the server sends back are dropped.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

#include "pixa/Canvas.h"
#include "x11wrap/Area.h"
#include "x11wrap/Connection.h"
#include "x11wrap/ImageUpload.h"
#include "x11wrap/PointerEvent.h"

namespace X11Wrap {

constexpr std::uint32_t keysymEscape = 0xFF1B;

class ChildWindow {
public:
    ChildWindow() = default;
    virtual ~ChildWindow();
    ChildWindow(const ChildWindow&) = delete;
    ChildWindow& operator=(const ChildWindow&) = delete;

    // Connects to $DISPLAY and creates the window, mapped, as a child of `parent` at (x, y): no
    // decorations, no reparenting, no embedding protocol. Its size hints say it keeps that size (minimum
    // and maximum alike); a host that makes it larger anyway gets the surround colour (0x00RRGGBB)
    // outside the content. False, with nothing left open, when there is no server or the parent does not
    // exist.
    bool open(std::uint32_t parent, int x, int y, int width, int height, std::uint32_t surround = 0);
    // Destroys the window and closes the connection; open may be called again.
    void close();

    // The window exists (it goes when the host destroys its parent) and the connection works.
    bool isOpen() const { return window != 0 && connection && !connection->broken(); }
    std::uint32_t windowId() const { return window; }
    int width() const { return size.width; }
    int height() const { return size.height; }

    // Hands every event that has arrived to the handlers, without waiting for more. Exposures are
    // gathered into one exposed() call at the end. False when the window is no longer open.
    bool dispatchEvents();
    // Shows the canvas (or an area of it) at the same place in the window, opaque. False when nothing
    // could be sent.
    bool present(const Pixa::Canvas& canvas);
    bool present(const Pixa::Canvas& canvas, const Area& area);
    // Waits until the server has carried out everything sent so far (for tests and measurements).
    bool sync();
    // Shift, Control and Alt (Mod1) all held now, as the server sees the keyboard (one round trip).
    bool shiftControlAltHeld();

    // Key presses reach keyPressed only between these two: the window takes the input focus, remembering
    // who had it, and asks for keys. Outside them every key goes past us to the host's window, so its
    // shortcuts keep working over ours. Giving back returns the focus only if it is still ours (the
    // user may have clicked elsewhere meanwhile). Each is a round trip the first time, nothing after.
    void takeKeyFocus();
    void giveKeyFocusBack();

protected:
    virtual void exposed(const Area& area) { (void)area; }
    virtual void buttonPressed(const PointerEvent& event) { (void)event; }
    virtual void buttonReleased(const PointerEvent& event) { (void)event; }
    virtual void pointerMoved(const PointerEvent& event) { (void)event; }
    virtual void pointerLeft(const PointerEvent& event) { (void)event; }
    // The key's unshifted keysym (keysymEscape, ...); 0 for a key the keyboard map leaves empty.
    virtual void keyPressed(std::uint32_t keysym) { (void)keysym; }

private:
    void handle(const xcb_generic_event_t& event, Area& exposure);
    void fillOutsideContent();
    void readKeyboardMap();

    std::unique_ptr<Connection> connection;
    xcb_window_t window = 0;
    xcb_gcontext_t gc = 0;
    Area size;
    // What the server says the window measures: larger than `size` when a host stretched it.
    int windowWidth = 0, windowHeight = 0;
    xcb_gcontext_t surroundGc = 0;
    ImageUpload upload;
    std::uint32_t keysyms[256] = {};  // by keycode
    bool keyFocusTaken = false;
    xcb_window_t focusBefore = 0;
    std::uint8_t focusRevertBefore = XCB_INPUT_FOCUS_PARENT;
};

}  // namespace X11Wrap
