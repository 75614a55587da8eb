// The desktop's text resolution, as toolkits publish it in the root window's RESOURCE_MANAGER property
// ("Xft.dpi: 144"): the hint for drawing the editor at twice the size.
#pragma once

#include <string_view>

#include "x11wrap/Connection.h"

namespace X11Wrap {

// The Xft.dpi of a resource text, rounded to a whole number; 0 when absent or not a positive number.
int parseXftDpi(std::string_view resources);
// The Xft.dpi of the default screen's root window, or 0.
int readXftDpi(const Connection& connection);

}  // namespace X11Wrap
