// The bitmaps built into the X11 editor, at both scales, are what the artwork generator draws now: the
// 2x ones are drawn at build time and assembled in, so a stale or misread file shows here.
#include <gtest/gtest.h>

#include <memory>

#include "tools/artwork/Artwork.h"
#include "x11edit/Artwork.h"

namespace {

// The number of pixels that differ, or -1 when the sizes differ.
long differingPixels(const Pixa::Canvas& a, const Pixa::Canvas& b)
{
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return -1;
    long n = 0;
    for (std::uint32_t y = 0; y < a.getHeight(); ++y)
        for (std::uint32_t x = 0; x < a.getWidth(); ++x)
            n += a.row(y)[x] != b.row(y)[x];
    return n;
}

}  // namespace

TEST(X11EditArtwork, EmbeddedPicturesAreWhatTheGeneratorDrawsAtBothScales)
{
    for (int scale : {1, 2}) {
        const auto s = static_cast<std::uint32_t>(scale);
        const std::unique_ptr<Pixa::Canvas> background = Artwork::drawnBackground(scale);
        const std::unique_ptr<Pixa::Canvas> strip = Artwork::drawnKnobStrip(scale);

        const Pixa::Canvas& embeddedBackground = X11Edit::backgroundCanvas(scale);
        EXPECT_EQ(embeddedBackground.getWidth(), 160 * s);
        EXPECT_EQ(embeddedBackground.getHeight(), 260 * s);
        EXPECT_EQ(differingPixels(embeddedBackground, *background), 0) << scale << "x";
        const Pixa::Canvas& embeddedStrip = X11Edit::knobStripCanvas(scale);
        EXPECT_EQ(embeddedStrip.getWidth(), 40 * s);
        EXPECT_EQ(embeddedStrip.getHeight(), 40 * 101 * s);
        EXPECT_EQ(differingPixels(embeddedStrip, *strip), 0) << scale << "x";
        // Decoded once: the same canvas every time.
        EXPECT_EQ(&X11Edit::knobStripCanvas(scale), &embeddedStrip);
    }
    EXPECT_NE(&X11Edit::backgroundCanvas(1), &X11Edit::backgroundCanvas(2));
}
