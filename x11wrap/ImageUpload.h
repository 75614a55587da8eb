// Sends part of a canvas to a window as an opaque picture, in put-image requests that each fit under the
// server's request limit.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "pixa/Canvas.h"
#include "x11wrap/Area.h"
#include "x11wrap/Connection.h"

namespace X11Wrap {

class ImageUpload {
public:
    // Copies `area` of the canvas to the same place of the drawable and flushes. Premultiplied colours
    // arrive as if drawn over black. False when nothing was sent: an empty area, a visual that does
    // not take 32-bit RGB words, or a broken connection.
    bool put(const Connection& connection, xcb_drawable_t target, xcb_gcontext_t gc, const Pixa::Canvas& canvas,
             const Area& area);

private:
    std::vector<std::uint32_t> piece;  // kept between calls: a steady stream of frames allocates nothing
};

}  // namespace X11Wrap
