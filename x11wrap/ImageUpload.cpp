#include "x11wrap/ImageUpload.h"

#include <algorithm>

namespace X11Wrap {

namespace {

const std::size_t putImageHeaderBytes = 24;

// The colour channels of a premultiplied word are already its colour over black; the server ignores
// the top byte of a depth-24 pixel, and a depth-32 window gets it opaque.
inline std::uint32_t opaque(std::uint32_t color) { return color | 0xFF000000u; }

inline std::uint32_t swapBytes(std::uint32_t w)
{
    return (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
}

}  // namespace

bool ImageUpload::put(const Connection& connection, xcb_drawable_t target, xcb_gcontext_t gc,
                      const Pixa::Canvas& canvas, const Area& wanted)
{
    const Area area = wanted.clip(static_cast<int>(canvas.getWidth()), static_cast<int>(canvas.getHeight()));
    if (area.empty() || !connection.takesRgbWords() || connection.broken())
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(area.width) * 4;
    const std::size_t limit = connection.maximumRequestBytes();
    const int rowsPerPiece = limit > putImageHeaderBytes ? static_cast<int>((limit - putImageHeaderBytes) / rowBytes) : 0;
    if (rowsPerPiece == 0)
        return false;
    const bool swap = connection.serverIsBigEndian();
    const std::uint8_t depth = connection.screen().root_depth;
    for (int top = area.y; top < area.y + area.height; top += rowsPerPiece) {
        const int rows = std::min(rowsPerPiece, area.y + area.height - top);
        piece.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(area.width));
        std::uint32_t* out = piece.data();
        for (int y = top; y < top + rows; ++y) {
            const std::uint32_t* in = canvas.row(static_cast<std::uint32_t>(y)) + area.x;
            for (int x = 0; x < area.width; ++x)
                *out++ = swap ? swapBytes(opaque(in[x])) : opaque(in[x]);
        }
        xcb_put_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, target, gc, static_cast<std::uint16_t>(area.width),
                      static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(top),
                      0, depth, static_cast<std::uint32_t>(rows * rowBytes),
                      reinterpret_cast<const std::uint8_t*>(piece.data()));
    }
    return xcb_flush(connection.get()) > 0;
}

}  // namespace X11Wrap
