#include "x11wrap/Connection.h"

#include <cstdint>
#include <cstdlib>

namespace X11Wrap {

namespace {

const xcb_screen_t* screenNumber(xcb_connection_t* connection, int number)
{
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; --number, xcb_screen_next(&it))
        if (number == 0)
            return it.data;
    return nullptr;
}

const xcb_visualtype_t* rootVisual(const xcb_screen_t& screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem; xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen.root_visual)
                return visuals.data;
    return nullptr;
}

std::uint8_t bitsPerPixel(const xcb_setup_t* setup, std::uint8_t depth)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    return 0;
}

}  // namespace

std::unique_ptr<Connection> Connection::open()
{
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    const xcb_screen_t* found = xcb_connection_has_error(connection) ? nullptr : screenNumber(connection, screen);
    if (!found) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(connection, found));
}

Connection::Connection(xcb_connection_t* connection, const xcb_screen_t* screen)
    : connection(connection), defaultScreen(screen)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_visualtype_t* visual = rootVisual(*screen);
    rgbWords = visual && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xFF0000u &&
               visual->green_mask == 0x00FF00u && visual->blue_mask == 0x0000FFu &&
               bitsPerPixel(setup, screen->root_depth) == 32;
    bigEndian = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
}

Connection::~Connection() { xcb_disconnect(connection); }

std::size_t Connection::maximumRequestBytes() const
{
    return static_cast<std::size_t>(xcb_get_setup(connection)->maximum_request_length) * 4;
}

bool Connection::sync() const
{
    xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    free(reply);
    return reply != nullptr;
}

}  // namespace X11Wrap
