#include "x11wrap/Area.h"

#include <algorithm>

namespace X11Wrap {

Area Area::unite(const Area& other) const
{
    if (other.empty())
        return *this;
    if (empty())
        return other;
    const int left = std::min(x, other.x), top = std::min(y, other.y);
    const int right = std::max(x + width, other.x + other.width), bottom = std::max(y + height, other.y + other.height);
    return {left, top, right - left, bottom - top};
}

Area Area::clip(int boundWidth, int boundHeight) const
{
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, boundWidth), bottom = std::min(y + height, boundHeight);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

}  // namespace X11Wrap
