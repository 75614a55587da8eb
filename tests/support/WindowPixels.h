// Reads what a window shows back from the server, as 0x00RRGGBB words, top row first.
#pragma once

#include <cstdint>
#include <vector>

#include "x11wrap/Connection.h"

namespace TestSupport {

// Empty when the window cannot be read (not viewable, or gone).
std::vector<std::uint32_t> readWindowPixels(const X11Wrap::Connection& connection, std::uint32_t window, int width,
                                            int height);

}  // namespace TestSupport
