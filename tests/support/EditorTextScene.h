// Every text of the editor at its size, placed as the Windows editor places it (knob bands, the
// learning badge, the switches' two-coloured captions, menu items, the save question), drawn through a
// text back end so that pixa's text and GDI's can show the same sheet:
//   void text(const char*, const Pixa::PixelRect&, std::uint32_t format, bool bold, std::uint32_t colorRef);
//   Pixa::PixelRect measure(const char*, const Pixa::PixelRect&, std::uint32_t format, bool bold);
//   void setPlain(bool);  // non-antialiased from now on
// Formats are DrawText's flags (Pixa::TextFormat has the same values).
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "pixa/TextLayout.h"
#include "plugedit/font/BuiltinFont.h"

namespace EditorTextScene {

constexpr std::uint32_t width = 240, height = 372;
constexpr std::uint32_t ground = 0x121C2A, accent = 0x6BADD3, white = 0xFFFFFF;  // COLORREFs

// A knob's texts at (x, y): the caption on top of the band below the disc, the value at its bottom
// (bold while dragged).
template <typename Backend>
void knob(Backend& b, std::int32_t x, std::int32_t y, const char* caption, const char* value, bool dragging,
          bool learning)
{
    using namespace Pixa;
    const PixelRect band{x, y + 56, x + 80, y + 80};
    b.text(caption, band, textSingleLine | textCenter, false, accent);
    if (learning)
        b.text("learning", {x + 10, y + 22, x + 70, y + 46}, textSingleLine | textVCenter | textCenter, false, white);
    b.text(value, band, textSingleLine | textBottom | textCenter, dragging, white);
}

// A switch's caption at (x, y): "name: state" centred, the state in white; the name alone, bold,
// while its menu is open.
template <typename Backend>
void onOff(Backend& b, std::int32_t x, std::int32_t y, const char* name, const char* state, bool menuOpen)
{
    using namespace Pixa;
    const PixelRect r{x, y, x + 80, y + 12};
    if (menuOpen) {
        b.text(name, r, textSingleLine | textBottom | textCenter, true, accent);
        return;
    }
    const std::string full = std::string(name) + ": " + state, label = std::string(name) + ":";
    PixelRect m = b.measure(full.c_str(), r, textSingleLine | textBottom | textCenter, false);
    const std::int32_t shift = (r.right - m.right) / 2;
    m.left += shift;
    m.right += shift;
    b.text(label.c_str(), m, textSingleLine | textBottom, false, accent);
    b.text(state, m, textSingleLine | textBottom | textRight, false, white);
}

template <typename Backend>
void draw(Backend& b)
{
    using namespace Pixa;
    const char* captions[3] = {"threshold", "makeup", "release"};
    const char* values[3] = {"-20.0 dB", "100 %", "1000.0 ms"};
    const char* otherValues[3] = {"0.0 dB", "0 %", "10.0 ms"};
    for (std::int32_t k = 0; k < 3; ++k) {
        knob(b, 80 * k, 0, captions[k], values[k], false, false);
        knob(b, 80 * k, 80, captions[k], otherValues[k], true, k == 1);
    }
    onOff(b, 0, 245, "dither", "24 bit", false);
    onOff(b, 80, 245, "display", "20dB", false);
    onOff(b, 160, 245, "display", "40dB", true);
    const char* menu[] = {"&Reset to default (0.0 dB)", "MIDI &Learn...", "MIDI &Unlearn (chan:1, cc:7)",
                          "&Save defaults...", "Visit www.quellbrook.com", "20dB scale"};
    for (std::int32_t i = 0; i < 6; ++i)
        b.text(menu[i], {4, 262 + 12 * i, 236, 274 + 12 * i}, textSingleLine | textVCenter, false, white);
    b.text("Saving new defaults for:\n - parameter values (current values) and presets\n - MIDI mappings (current "
           "mappings)\n",
           {4, 336, 236, 370}, textLeft, false, white);
    // Plain text (Shift + Control + Alt) last: the knobs once more.
    b.setPlain(true);
    for (std::int32_t k = 0; k < 3; ++k)
        knob(b, 80 * k, 160, captions[k], values[k], k == 2, k == 0);
}

// One drawn text: its rectangle and the smallest rectangle holding its ink (all zero when none).
struct Ink {
    std::string text;
    Pixa::PixelRect rect, ink;
};

// The box of the pixels for which isInk(x, y) holds.
template <typename IsInk>
Pixa::PixelRect inkBox(std::int32_t w, std::int32_t h, IsInk isInk)
{
    Pixa::PixelRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            if (isInk(x, y))
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    return box.left == INT32_MAX ? Pixa::PixelRect{0, 0, 0, 0} : box;
}

// Pixa's text with the built-in font as the back end: each text drawn once alone, to find its ink,
// then onto the sheet.
struct PixaTexts {
    Pixa::Canvas sheet{width, height};
    Pixa::Canvas scratch{width, height};
    Pixa::TextPainter painter;
    bool plain = false;
    std::vector<Ink> inks;

    PixaTexts() { sheet.fillPaint(Pixa::SolidPaint(Pixa::colorFromColorRef(ground))); }

    void text(const char* t, const Pixa::PixelRect& r, std::uint32_t format, bool bold, std::uint32_t colorRef)
    {
        const Pixa::TextStyle style = PlugEdit::editorTextStyle(bold, colorRef, !plain);
        scratch.clear();
        Pixa::drawTextInRect(painter, scratch, t, r, format, style);
        inks.push_back({t, r, inkBox(width, height, [this](std::int32_t x, std::int32_t y) { return scratch.colorAt(x, y) != 0; })});
        Pixa::drawTextInRect(painter, sheet, t, r, format, style);
    }
    Pixa::PixelRect measure(const char* t, const Pixa::PixelRect& r, std::uint32_t format, bool bold)
    {
        return Pixa::measureTextRect(t, r, format, PlugEdit::editorTextStyle(bold, white, true));
    }
    void setPlain(bool p) { plain = p; }
};

}  // namespace EditorTextScene
