#include "x11wrap/ChildWindow.h"

#include <algorithm>
#include <cstdlib>

namespace X11Wrap {

namespace {

const std::uint32_t eventMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW |
                                XCB_EVENT_MASK_STRUCTURE_NOTIFY;

unsigned heldButtons(std::uint16_t state)
{
    return (state & XCB_KEY_BUT_MASK_BUTTON_1 ? PointerEvent::leftHeld : 0u) |
           (state & XCB_KEY_BUT_MASK_BUTTON_2 ? PointerEvent::middleHeld : 0u) |
           (state & XCB_KEY_BUT_MASK_BUTTON_3 ? PointerEvent::rightHeld : 0u);
}

PointerEvent pointerEvent(std::int16_t x, std::int16_t y, int button, std::uint16_t state, std::uint32_t time)
{
    PointerEvent event;
    event.x = x;
    event.y = y;
    event.button = button;
    event.buttonsHeld = heldButtons(state);
    event.shift = (state & XCB_KEY_BUT_MASK_SHIFT) != 0;
    event.control = (state & XCB_KEY_BUT_MASK_CONTROL) != 0;
    event.time = time;
    return event;
}

// WM_NORMAL_HINTS (ICCCM 4.1.2.3) with the same minimum and maximum: hosts that honour hints (Ardour's
// embedding among them) keep the window at its size instead of stretching it to their own.
void setFixedSizeHints(xcb_connection_t* c, xcb_window_t window, int width, int height)
{
    enum : std::uint32_t { programSize = 1u << 3, minimumSize = 1u << 4, maximumSize = 1u << 5 };
    const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
    // flags, x, y, width, height, minimum, maximum, increments, aspects, base size, gravity
    const std::uint32_t hints[18] = {programSize | minimumSize | maximumSize, 0, 0, w, h, w, h, w, h};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, 18,
                        hints);
}

}  // namespace

ChildWindow::~ChildWindow() { close(); }

bool ChildWindow::open(std::uint32_t parent, int x, int y, int width, int height, std::uint32_t surround)
{
    close();
    if (width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF)
        return false;
    connection = Connection::open();
    if (!connection)
        return false;
    xcb_connection_t* c = connection->get();
    const xcb_screen_t& screen = connection->screen();
    window = xcb_generate_id(c);
    // Our own visual and colormap, whatever the host's window uses: the pictures we send are in its form.
    // No background: the server never clears the window, so nothing flickers between exposure and picture.
    const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, eventMask, screen.default_colormap};
    const xcb_void_cookie_t created = xcb_create_window_checked(
        c, screen.root_depth, window, parent, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
        static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        screen.root_visual, XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP, values);
    // One round trip, so a parent that is not a window is a false answer here and not an error later.
    if (xcb_generic_error_t* error = xcb_request_check(c, created)) {
        free(error);
        window = 0;
        connection.reset();
        return false;
    }
    gc = xcb_generate_id(c);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(c, gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    surroundGc = xcb_generate_id(c);
    const std::uint32_t surroundValues[] = {surround, 0};
    xcb_create_gc(c, surroundGc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, surroundValues);
    setFixedSizeHints(c, window, width, height);
    xcb_map_window(c, window);
    xcb_flush(c);
    size = {x, y, width, height};
    windowWidth = width;
    windowHeight = height;
    readKeyboardMap();
    return true;
}

void ChildWindow::close()
{
    if (!connection)
        return;
    giveKeyFocusBack();
    // Either may be gone with the host's window; the errors would come back to a connection we close.
    if (window) {
        xcb_free_gc(connection->get(), gc);
        xcb_free_gc(connection->get(), surroundGc);
        xcb_destroy_window(connection->get(), window);
        xcb_flush(connection->get());
    }
    window = 0;
    gc = surroundGc = 0;
    connection.reset();
}

bool ChildWindow::dispatchEvents()
{
    if (!connection)
        return false;
    Area exposure;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection->get())) {
        // No handler's exception may leave the event unfreed.
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> owned(event, &free);
        handle(*event, exposure);
    }
    if (!exposure.empty() && isOpen())
        exposed(exposure);
    return isOpen();
}

void ChildWindow::handle(const xcb_generic_event_t& event, Area& exposure)
{
    switch (event.response_type & 0x7F) {
    case 0: {
        // An error of one of our unchecked requests. A window the host destroyed under us is the one
        // that matters (drawing into it says BadDrawable); the others need nothing.
        const auto& error = reinterpret_cast<const xcb_generic_error_t&>(event);
        if ((error.error_code == XCB_WINDOW || error.error_code == XCB_DRAWABLE) && error.resource_id == window)
            window = 0;
        break;
    }
    case XCB_EXPOSE: {
        const auto& e = reinterpret_cast<const xcb_expose_event_t&>(event);
        if (e.window != window)
            break;
        if (e.x + e.width > size.width || e.y + e.height > size.height)
            fillOutsideContent();
        exposure = exposure.unite({e.x, e.y, e.width, e.height});
        break;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (e.window == window)
            windowWidth = e.width, windowHeight = e.height;
        break;
    }
    case XCB_BUTTON_PRESS: {
        const auto& e = reinterpret_cast<const xcb_button_press_event_t&>(event);
        buttonPressed(pointerEvent(e.event_x, e.event_y, e.detail, e.state, e.time));
        break;
    }
    case XCB_BUTTON_RELEASE: {
        const auto& e = reinterpret_cast<const xcb_button_release_event_t&>(event);
        buttonReleased(pointerEvent(e.event_x, e.event_y, e.detail, e.state, e.time));
        break;
    }
    case XCB_MOTION_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_motion_notify_event_t&>(event);
        pointerMoved(pointerEvent(e.event_x, e.event_y, PointerEvent::none, e.state, e.time));
        break;
    }
    case XCB_LEAVE_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_leave_notify_event_t&>(event);
        pointerLeft(pointerEvent(e.event_x, e.event_y, PointerEvent::none, e.state, e.time));
        break;
    }
    case XCB_KEY_PRESS:
        keyPressed(keysyms[reinterpret_cast<const xcb_key_press_event_t&>(event).detail]);
        break;
    case XCB_MAPPING_NOTIFY:  // every client gets it, asked or not
        if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request == XCB_MAPPING_KEYBOARD)
            readKeyboardMap();
        break;
    case XCB_DESTROY_NOTIFY:
        if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == window)
            window = 0;
        break;
    default:
        break;
    }
}

// The window has no background (so the server never clears what we show), so whatever a host's stretching
// uncovered beyond the content would keep old screen contents: it is filled with the surround colour.
void ChildWindow::fillOutsideContent()
{
    const int w = size.width, h = size.height;
    xcb_rectangle_t outside[2];
    int count = 0;
    if (windowWidth > w)
        outside[count++] = {static_cast<std::int16_t>(w), 0, static_cast<std::uint16_t>(windowWidth - w),
                            static_cast<std::uint16_t>(windowHeight)};
    if (windowHeight > h)
        outside[count++] = {0, static_cast<std::int16_t>(h), static_cast<std::uint16_t>(std::min(w, windowWidth)),
                            static_cast<std::uint16_t>(windowHeight - h)};
    if (count > 0)
        xcb_poly_fill_rectangle(connection->get(), window, surroundGc, static_cast<std::uint32_t>(count), outside);
}

bool ChildWindow::present(const Pixa::Canvas& canvas)
{
    return present(canvas, {0, 0, static_cast<int>(canvas.getWidth()), static_cast<int>(canvas.getHeight())});
}

bool ChildWindow::present(const Pixa::Canvas& canvas, const Area& area)
{
    return isOpen() && upload.put(*connection, window, gc, canvas, area.clip(size.width, size.height));
}

bool ChildWindow::sync() { return connection && connection->sync(); }

bool ChildWindow::shiftControlAltHeld()
{
    if (!isOpen())
        return false;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(connection->get(), xcb_query_pointer(connection->get(), window), nullptr);
    if (!reply)
        return false;
    const unsigned all = XCB_KEY_BUT_MASK_SHIFT | XCB_KEY_BUT_MASK_CONTROL | XCB_KEY_BUT_MASK_MOD_1;
    const bool held = (reply->mask & all) == all;
    std::free(reply);
    return held;
}

// The first keysym of each keycode: the key as printed, whatever Shift or the layout's groups add.
void ChildWindow::readKeyboardMap()
{
    std::fill(std::begin(keysyms), std::end(keysyms), 0u);
    xcb_connection_t* c = connection->get();
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int first = setup->min_keycode, count = setup->max_keycode - first + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
    if (!map)
        return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    const int perKey = map->keysyms_per_keycode, total = xcb_get_keyboard_mapping_keysyms_length(map);
    for (int k = 0; perKey > 0 && k < count && k * perKey < total; ++k)
        keysyms[first + k] = syms[k * perKey];
    std::free(map);
}

void ChildWindow::takeKeyFocus()
{
    if (keyFocusTaken || !isOpen())
        return;
    xcb_connection_t* c = connection->get();
    xcb_get_input_focus_reply_t* had = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    if (!had)
        return;
    focusBefore = had->focus;
    focusRevertBefore = had->revert_to;
    std::free(had);
    const std::uint32_t withKeys = eventMask | XCB_EVENT_MASK_KEY_PRESS;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &withKeys);
    // Should we go while holding it, the focus falls to the host's window, not to nowhere.
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(c);
    keyFocusTaken = true;
}

void ChildWindow::giveKeyFocusBack()
{
    if (!keyFocusTaken)
        return;
    keyFocusTaken = false;
    if (!isOpen())
        return;
    xcb_connection_t* c = connection->get();
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &eventMask);
    xcb_get_input_focus_reply_t* now = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    // A window that had it and has gone since answers with an error we drop; the focus then stays here
    // and falls to the host's window with ours.
    const bool handBack = now && now->focus == window && focusBefore != window;
    std::free(now);
    if (handBack) {
        xcb_set_input_focus(c, focusRevertBefore, focusBefore, XCB_CURRENT_TIME);
        // Carried out before anything else is sent: a close destroying the window straight after the
        // request let the focus fall to our parent instead, now and then (seen under Xvfb).
        connection->sync();
    } else {
        xcb_flush(c);
    }
}

}  // namespace X11Wrap
