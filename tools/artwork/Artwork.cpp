#include "tools/artwork/Artwork.h"

#include <cmath>

#include "tools/artwork/Shapes.h"

namespace Artwork {

using Pixa::Color;
using Pixa::GradientPaint;
using Pixa::Path;
using Pixa::SolidPaint;

namespace {

constexpr float pi = 3.14159265358979f;
constexpr Color gold = 0xFFD3AD6Bu;  // the editor's accent colour
constexpr Color dimGold = 0xFF8C7248u;

// Fine grain over the leather-brown ground: a fixed hash per device pixel, so the picture is
// reproducible and a 2x picture has a grain of its own, twice as fine, as leather shown sharper would.
class GrainPaint : public Pixa::Paint {
public:
    explicit GrainPaint(const Pixa::Paint& base) : base(base) {}
    Color colorAt(std::int32_t x, std::int32_t y) const override
    {
        std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
        h ^= h >> 15;
        h *= 0x2C1B3C6Du;
        h ^= h >> 12;
        const int shift = static_cast<int>(h % 7) - 3;
        const Color c = base.colorAt(x, y);
        auto channel = [&](int at) {
            const int v = static_cast<int>((c >> at) & 0xFF) + shift;
            return static_cast<Color>(v < 0 ? 0 : v > 255 ? 255 : v) << at;
        };
        return 0xFF000000u | channel(16) | channel(8) | channel(0);
    }

private:
    const Pixa::Paint& base;
};

// A crisp line one unit high on a row: an edge from Y to Y' covers sub-scanlines Y + 1 .. Y', so the
// rectangle starts one sixteenth of a device pixel above the row.
void hline(Pen& pen, float x0, float x1, int row, Color color)
{
    const float top = static_cast<float>(row) - 1.0f / (16.0f * pen.scale());
    pen.fillRect(x0, top, x1, top + 1.0f, SolidPaint(color));
}

void drawMeterWell(Pen& pen)
{
    // A recessed well behind the meter window, a little wider than it, with a lit lower edge.
    pen.fillRect(86, 14, 155, 227, SolidPaint(0xFF120B07u));
    pen.fillRect(87, 15, 154, 226, SolidPaint(0xFF0C0805u));
    hline(pen, 86, 155, 227, 0xFF4A3524u);
    pen.fillRect(155, 14, 156, 228, SolidPaint(0xFF3E2C1Eu));
}

void drawScale(Pen& pen)
{
    for (int row : {20, 120, 220})
        hline(pen, 90, 151, row, gold);
    for (int row : {70, 170})
        hline(pen, 96, 145, row, gold);
    for (int row : {45, 95, 145, 195}) {
        hline(pen, 90, 96, row, gold);
        hline(pen, 145, 151, row, gold);
        hline(pen, 117, 124, row, dimGold);
    }
    // Ticks every 10 rows over both bar columns, at their edges so the bars read against them.
    for (int row = 30; row < 220; row += 10) {
        if (row % 50 == 20)
            continue;
        for (float x : {105.0f, 125.0f}) {
            hline(pen, x, x + 2, row, dimGold);
            hline(pen, x + 9, x + 11, row, dimGold);
        }
    }
}

void drawDivider(Pen& pen)
{
    pen.fillRect(80, 22, 81, 232, SolidPaint(0xFF120B07u));
    pen.fillRect(81, 22, 82, 232, SolidPaint(0xFF46321Fu));
}

void drawNameAndMark(Pen& pen)
{
    drawWord(pen, "TARN", 86.0f, 237.5f, 0.9f, 1.7f, SolidPaint(gold));
    // The maker's mark: a spring rising in a ring, two ripples beneath.
    const float cx = 149.0f, cy = 243.5f;
    pen.strokeCircle(cx, cy, 7.0f, 1.3f, SolidPaint(gold));
    pen.fillDisc(cx, cy - 2.2f, 1.6f, SolidPaint(gold));
    for (float dy : {1.4f, 4.0f})
        pen.strokeArc(cx, cy + dy - 4.2f, 4.2f, pi * 0.62f, pi * 1.38f, 1.0f, true, SolidPaint(gold));
}

// Lines one unit wide centred half a unit in: they cover whole device pixels at any scale.
void drawFrame(Pen& pen)
{
    Path border{{0.5f, 0.5f}, {159.5f, 0.5f}, {159.5f, 259.5f}, {0.5f, 259.5f}, {0.5f, 0.5f}};
    pen.stroke(border, 1.0f, false, SolidPaint(0xFF0A0604u));
    Path inner{{1.5f, 1.5f}, {158.5f, 1.5f}, {158.5f, 258.5f}, {1.5f, 258.5f}, {1.5f, 1.5f}};
    pen.stroke(inner, 1.0f, false, SolidPaint(0x30302418u));
}

Pixa::Point polar(float cx, float cy, float radius, float angle)
{
    return {cx + radius * std::sin(angle), cy - radius * std::cos(angle)};
}

}  // namespace

void drawBackground(Pixa::Canvas& canvas, int scale)
{
    canvas.clear();
    Pen pen(canvas, static_cast<float>(scale));
    const GradientPaint ground = pen.gradient(0, 0, 0, editorHeight, 0xFF33231Au, 0xFF1F150Eu);
    canvas.fillPaint(GrainPaint(ground));
    drawFrame(pen);
    drawDivider(pen);
    drawMeterWell(pen);
    drawScale(pen);
    drawNameAndMark(pen);
}

void drawKnobFrame(Pixa::Canvas& strip, int k, int scale)
{
    const float top = static_cast<float>(k * knobFrameSize);
    const float cx = 20.0f, cy = top + 20.0f;
    const float angle = (-140.0f + 2.8f * static_cast<float>(k)) * pi / 180.0f;
    Pen pen(strip, static_cast<float>(scale));

    // Shadow, then the dark ribbed skirt that turns with the pointer.
    pen.fillDisc(cx + 0.6f, cy + 1.2f, 18.6f, SolidPaint(0x70000000u));
    pen.fillDisc(cx, cy, 17.6f, pen.gradient(cx - 12, cy - 12, cx + 12, cy + 12, 0xFF4A4542u, 0xFF161412u));
    for (int rib = 0; rib < 30; ++rib) {
        const float a = angle + static_cast<float>(rib) * (2.0f * pi / 30.0f);
        const float lit = 0.5f + 0.5f * std::cos(a + pi / 4);  // lit from the upper left
        const auto level = static_cast<Color>(0x30 + 0x40 * lit);
        pen.stroke(Path{polar(cx, cy, 14.2f, a), polar(cx, cy, 17.2f, a)}, 1.0f, false,
                   SolidPaint(0xFF000000u | level << 16 | level << 8 | level));
    }
    pen.strokeCircle(cx, cy, 13.4f, 0.8f, SolidPaint(0xFF0E0D0Cu));

    // The light metallic cap with its machined rings and a bevel.
    pen.fillDisc(cx, cy, 12.6f, pen.gradient(cx - 9, cy - 9, cx + 9, cy + 9, 0xFFD6D4D0u, 0xFF65615Cu));
    for (float r : {3.5f, 6.5f, 9.5f})
        pen.strokeCircle(cx, cy, r, 0.6f, SolidPaint(0x14141414u));
    pen.strokeCircle(cx, cy, 12.1f, 1.0f, pen.gradient(cx - 9, cy - 9, cx + 9, cy + 9, 0x80808080u, 0x50000000u));

    // The white pointer across the cap, carried on over the skirt.
    const Path pointer{polar(cx, cy, 4.0f, angle), polar(cx, cy, 11.0f, angle)};
    pen.stroke(Path{polar(cx + 0.4f, cy + 0.6f, 4.0f, angle), polar(cx + 0.4f, cy + 0.6f, 11.0f, angle)}, 3.4f, true,
               SolidPaint(0xA0000000u));
    pen.stroke(pointer, 2.2f, true, SolidPaint(0xFFFFFFFFu));
    pen.stroke(Path{polar(cx, cy, 14.0f, angle), polar(cx, cy, 17.0f, angle)}, 1.6f, false, SolidPaint(0xFFF4F4F4u));
}

std::unique_ptr<Pixa::Canvas> drawnBackground(int scale)
{
    const auto s = static_cast<std::uint32_t>(scale);
    auto canvas = std::make_unique<Pixa::Canvas>(editorWidth * s, editorHeight * s);
    drawBackground(*canvas, scale);
    return canvas;
}

std::unique_ptr<Pixa::Canvas> drawnKnobStrip(int scale)
{
    const auto s = static_cast<std::uint32_t>(scale);
    auto strip = std::make_unique<Pixa::Canvas>(knobFrameSize * s, knobFrameSize * knobFrames * s);
    for (int k = 0; k < knobFrames; ++k)
        drawKnobFrame(*strip, k, scale);
    return strip;
}

}  // namespace Artwork
