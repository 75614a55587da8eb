// tarn-artwork: draws the editor's bitmaps into a folder (the ones the resource script embeds; with
// --scale 2 those of the editor shown at twice the size) and, with --sheet, a PNG contact sheet of
// everything to look at.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/artwork/Artwork.h"
#include "tools/imagefile/ImageFile.h"

namespace {

using ImageFile::Picture;

Picture pictureOf(const Pixa::Canvas& canvas, bool alphaOnly = false)
{
    Picture p;
    p.width = canvas.getWidth();
    p.height = canvas.getHeight();
    p.pixels.reserve(static_cast<std::size_t>(p.width) * p.height);
    for (std::uint32_t y = 0; y < p.height; ++y)
        for (std::uint32_t x = 0; x < p.width; ++x) {
            const Pixa::Color c = canvas.row(y)[x];
            const std::uint32_t a = c >> 24;
            p.pixels.push_back(alphaOnly ? (a << 16 | a << 8 | a) : (c & 0x00FFFFFFu));
        }
    return p;
}

// The background at twice the 1x picture's size, then every knob frame likewise over the background's
// ground, composited as the editor will: 1x pictures are enlarged, 2x ones shown pixel for pixel, so
// both sheets have the same layout.
Picture contactSheet(const Pixa::Canvas& background, const Pixa::Canvas& strip, int drawnAt)
{
    const int enlarge = 2 / drawnAt, frame = Artwork::knobFrameSize * drawnAt;
    constexpr int columns = 11, cell = Artwork::knobFrameSize * 2 + 8;
    const int rows = (Artwork::knobFrames + columns - 1) / columns;
    Pixa::Canvas sheet(Artwork::editorWidth * 2 + 16 + columns * cell,
                       std::max(Artwork::editorHeight * 2, rows * cell) + 16);
    sheet.fillPaint(Pixa::SolidPaint(0xFF202020u));
    auto put = [&](int x0, int y0, const Pixa::Paint& paint, int w, int h, int sx, int sy) {
        for (int y = 0; y < h * enlarge; ++y)
            for (int x = 0; x < w * enlarge; ++x) {
                Pixa::Color& d = sheet.row(static_cast<std::uint32_t>(y0 + y))[x0 + x];
                d = Pixa::blendOver(paint.colorAt(sx + x / enlarge, sy + y / enlarge), d);
            }
    };
    put(8, 8, background, Artwork::editorWidth * drawnAt, Artwork::editorHeight * drawnAt, 0, 0);
    for (int k = 0; k < Artwork::knobFrames; ++k) {
        const int x0 = Artwork::editorWidth * 2 + 16 + (k % columns) * cell, y0 = 8 + (k / columns) * cell;
        put(x0, y0, background, frame, frame, 20 * drawnAt, 29 * drawnAt);
        put(x0, y0, strip, frame, frame, 0, k * frame);
    }
    return pictureOf(sheet);
}

bool write(const std::string& path, const std::vector<unsigned char>& bytes)
{
    if (ImageFile::writeFile(path, bytes))
        return true;
    std::fprintf(stderr, "tarn-artwork: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string folder, sheetPath;
    int scale = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--sheet" && i + 1 < argc)
            sheetPath = argv[++i];
        else if (arg == "--scale" && i + 1 < argc &&
                 (std::string(argv[i + 1]) == "1" || std::string(argv[i + 1]) == "2"))
            scale = argv[++i][0] - '0';
        else if (folder.empty() && !arg.empty() && arg[0] != '-')
            folder = arg;
        else
            folder.clear(), i = argc;
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: tarn-artwork FOLDER [--scale 1|2] [--sheet SHEET.png]\n"
                             "  writes background.bmp (101), knob-strip.bmp (901) and knob-strip-mask.bmp (902);\n"
                             "  at --scale 2 background@2x.bmp, knob-strip@2x.bmp and knob-strip-mask@2x.bmp\n");
        return 2;
    }
    const std::unique_ptr<Pixa::Canvas> background = Artwork::drawnBackground(scale);
    const std::unique_ptr<Pixa::Canvas> strip = Artwork::drawnKnobStrip(scale);

    const std::string suffix = scale == 2 ? "@2x.bmp" : ".bmp";
    bool ok = write(folder + "/background" + suffix, ImageFile::encodeBmp(pictureOf(*background))) &&
              write(folder + "/knob-strip" + suffix, ImageFile::encodeBmp(pictureOf(*strip))) &&
              write(folder + "/knob-strip-mask" + suffix, ImageFile::encodeBmp(pictureOf(*strip, true)));
    if (ok && !sheetPath.empty())
        ok = write(sheetPath, ImageFile::encodePng(contactSheet(*background, *strip, scale)));
    return ok ? 0 : 1;
}
