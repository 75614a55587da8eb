#include "tests/support/XTestPointer.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace TestSupport {

namespace {

const xcb_keysym_t shiftLeft = 0xFFE1, controlLeft = 0xFFE3;

std::uint8_t keycodeOf(xcb_connection_t* c, xcb_keysym_t wanted)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    const std::uint8_t first = setup->min_keycode, count = static_cast<std::uint8_t>(setup->max_keycode - first + 1);
    xcb_get_keyboard_mapping_reply_t* map =
        xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, first, count), nullptr);
    if (!map)
        return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    const int perKey = map->keysyms_per_keycode, total = xcb_get_keyboard_mapping_keysyms_length(map);
    std::uint8_t found = 0;
    for (int i = 0; i < total && !found; ++i)
        if (syms[i] == wanted)
            found = static_cast<std::uint8_t>(first + i / perKey);
    free(map);
    return found;
}

}  // namespace

bool XTestPointer::connect(std::string& error)
{
    connection = X11Wrap::Connection::open();
    if (!connection) {
        error = "no X server";
        return false;
    }
    xcb_connection_t* c = connection->get();
    xcb_test_get_version_reply_t* version = xcb_test_get_version_reply(c, xcb_test_get_version(c, 2, 2), nullptr);
    if (!version) {
        error = "the X server has no XTEST extension";
        return false;
    }
    free(version);
    shiftKey = keycodeOf(c, shiftLeft);
    controlKey = keycodeOf(c, controlLeft);
    if (!shiftKey || !controlKey) {
        error = "the keyboard map has no Shift_L or Control_L";
        return false;
    }
    return true;
}

void XTestPointer::moveTo(std::uint32_t window, int x, int y)
{
    xcb_connection_t* c = connection->get();
    const xcb_window_t root = connection->screen().root;
    xcb_translate_coordinates_reply_t* at = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, window, root, static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)),
        nullptr);
    if (!at)
        return;
    fake(XCB_MOTION_NOTIFY, 0, at->dst_x, at->dst_y);
    free(at);
}

void XTestPointer::press(int button) { fake(XCB_BUTTON_PRESS, static_cast<std::uint8_t>(button)); }
void XTestPointer::release(int button) { fake(XCB_BUTTON_RELEASE, static_cast<std::uint8_t>(button)); }
bool XTestPointer::strike(std::uint32_t keysym)
{
    const std::uint8_t code = keycodeOf(connection->get(), keysym);
    if (!code)
        return false;
    key(code, true);
    key(code, false);
    return true;
}

void XTestPointer::key(std::uint8_t code, bool down) { fake(down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code); }

void XTestPointer::fake(std::uint8_t type, std::uint8_t detail, std::int16_t x, std::int16_t y)
{
    xcb_test_fake_input(connection->get(), type, detail, XCB_CURRENT_TIME, connection->screen().root, x, y, 0);
}

void XTestPointer::sync() { connection->sync(); }

}  // namespace TestSupport
