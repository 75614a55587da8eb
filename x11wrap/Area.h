// A rectangle of a window or canvas in pixels: left, top, width, height.
#pragma once

namespace X11Wrap {

struct Area {
    int x = 0, y = 0, width = 0, height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    // The smallest rectangle holding both (an empty one adds nothing).
    Area unite(const Area& other) const;
    // The part inside 0..width-1, 0..height-1.
    Area clip(int boundWidth, int boundHeight) const;
};

}  // namespace X11Wrap
