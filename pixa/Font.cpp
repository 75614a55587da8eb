#include "pixa/Font.h"

namespace Pixa {

std::uint32_t Font::glyphIndex(std::uint32_t codepoint) const
{
    std::uint32_t low = 1, high = glyphCount;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (glyphs[middle].codepoint < codepoint)
            low = middle + 1;
        else
            high = middle;
    }
    return low < glyphCount && glyphs[low].codepoint == codepoint ? low : 0;
}

std::int32_t Font::kerningBetween(std::uint32_t left, std::uint32_t right) const
{
    std::uint32_t low = 0, high = kerningCount;
    const std::uint32_t key = left << 16 | right;
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        const std::uint32_t at = static_cast<std::uint32_t>(kerning[middle].left) << 16 | kerning[middle].right;
        if (at < key)
            low = middle + 1;
        else
            high = middle;
    }
    return low < kerningCount && kerning[low].left == left && kerning[low].right == right ? kerning[low].adjustment : 0;
}

}  // namespace Pixa
