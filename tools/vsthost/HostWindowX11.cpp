#include "tools/vsthost/HostWindowX11.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace VstHost {

std::unique_ptr<X11HostWindow> X11HostWindow::create(int width, int height)
{
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (; screens.rem && screenNumber > 0; --screenNumber)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.data;
    const xcb_window_t window = xcb_generate_id(c);
    // A dark grey background: what shows where an editor draws nothing.
    const std::uint32_t values[] = {0x202020u, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    xcb_map_window(c, window);
    std::unique_ptr<X11HostWindow> host(new X11HostWindow(c, window));
    host->sync();
    return host;
}

X11HostWindow::~X11HostWindow()
{
    destroyWindow();
    xcb_disconnect(c);
}

void X11HostWindow::pumpEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(c))
        free(event);
}

void X11HostWindow::destroyWindow()
{
    if (!id)
        return;
    xcb_destroy_window(c, id);
    id = 0;
    sync();
}

void X11HostWindow::sync() { free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

bool openEditor(HostedEffect& effect, const X11HostWindow& window)
{
    return effect.dispatch(effEditOpen, 0, 0, window.editorParent()) == 1;
}

void idleEditor(HostedEffect& effect, X11HostWindow& window, int milliseconds, int perSecond)
{
    const auto period = std::chrono::microseconds(1000000 / (perSecond > 0 ? perSecond : 1));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    auto next = std::chrono::steady_clock::now();
    do {
        window.pumpEvents();
        effect.dispatch(effEditIdle);
        next += period;
        std::this_thread::sleep_until(next);
    } while (std::chrono::steady_clock::now() < until);
}

}  // namespace VstHost
