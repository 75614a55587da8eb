#include "pixa/TextLayout.h"

#include <algorithm>

namespace Pixa {

namespace {

// Calls visit(line, index) for each line: the whole text for a single line, else the pieces
// between line breaks (a '\r' before the '\n' belongs to the break).
template <typename Visit>
void forEachLine(std::string_view text, std::uint32_t format, Visit&& visit)
{
    if (format & textSingleLine) {
        visit(text, 0);
        return;
    }
    std::int32_t index = 0;
    for (;;) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        visit(line, index++);
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

TextStyle withPrefixRule(const TextStyle& style, std::uint32_t format)
{
    TextStyle s = style;
    s.mnemonics = (format & textNoPrefix) == 0;
    return s;
}

}  // namespace

namespace {

// Where DrawText puts the top of a line: single lines follow the vertical alignment.
std::int32_t lineTop(const PixelRect& rect, std::uint32_t format, const LineMetrics& line, std::int32_t index)
{
    if (format & textSingleLine) {
        if (format & textVCenter)
            return rect.top + (rect.bottom - rect.top) / 2 - line.height / 2;
        if (format & textBottom)
            return rect.bottom - line.height;
    }
    return rect.top + index * line.height;
}

}  // namespace

void drawTextInRect(TextPainter& painter, Canvas& canvas, std::string_view text, const PixelRect& rect,
                    std::uint32_t format, const TextStyle& style)
{
    const TextStyle s = withPrefixRule(style, format);
    const LineMetrics line = lineMetrics(*s.font, s.size);
    const PixelRect clip = format & textNoClip ? PixelRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX} : rect;
    forEachLine(text, format, [&](std::string_view piece, std::int32_t index) {
        const std::int32_t width = textWidth(piece, s);
        std::int32_t x = rect.left;
        // Integer division as DrawText does it (towards zero).
        if (format & textCenter)
            x = (rect.left + rect.right - width) / 2;
        else if (format & textRight)
            x = rect.right - width;
        const std::int32_t y = lineTop(rect, format, line, index);
        painter.drawText(canvas, piece, static_cast<float>(x), static_cast<float>(y + line.ascent), s, clip);
    });
}

PixelRect measureTextRect(std::string_view text, const PixelRect& rect, std::uint32_t format, const TextStyle& style)
{
    const TextStyle s = withPrefixRule(style, format);
    const LineMetrics line = lineMetrics(*s.font, s.size);
    std::int32_t widest = 0, lines = 0;
    forEachLine(text, format, [&](std::string_view piece, std::int32_t) {
        widest = std::max(widest, textWidth(piece, s));
        ++lines;
    });
    return {rect.left, rect.top, rect.left + widest, lineTop(rect, format, line, lines - 1) + line.height};
}

}  // namespace Pixa
