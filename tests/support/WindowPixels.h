// What the server says of a window: what it shows, as 0x00RRGGBB words, top row first, and its children.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "x11wrap/Connection.h"

namespace TestSupport {

// Empty when the window cannot be read (not viewable, or gone).
std::vector<std::uint32_t> readWindowPixels(const X11Wrap::Connection& connection, std::uint32_t window, int width,
                                            int height);
// The window's children, bottom first; false when the server cannot tell (the window is gone).
bool childWindows(xcb_connection_t* connection, xcb_window_t window, std::vector<xcb_window_t>& children);

}  // namespace TestSupport
