#include "tests/support/WindowPixels.h"

#include <cstdlib>
#include <cstring>

namespace TestSupport {

std::vector<std::uint32_t> readWindowPixels(const X11Wrap::Connection& connection, std::uint32_t window, int width,
                                            int height)
{
    xcb_connection_t* c = connection.get();
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        nullptr);
    std::vector<std::uint32_t> pixels;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (image && static_cast<std::size_t>(xcb_get_image_data_length(image)) == count * 4) {
        pixels.resize(count);
        std::memcpy(pixels.data(), xcb_get_image_data(image), count * 4);
        for (auto& p : pixels)
            p &= 0x00FFFFFFu;
    }
    free(image);
    return pixels;
}

bool childWindows(xcb_connection_t* connection, xcb_window_t window, std::vector<xcb_window_t>& children)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree)
        return false;
    const xcb_window_t* first = xcb_query_tree_children(tree);
    children.assign(first, first + xcb_query_tree_children_length(tree));
    std::free(tree);
    return true;
}

}  // namespace TestSupport
