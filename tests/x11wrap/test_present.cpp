#include <cstdint>

#include "tests/support/WindowPixels.h"
#include "tests/x11wrap/X11TestWindow.h"

using X11Test::RecordingWindow;
using X11Test::X11Fixture;

namespace {

// Opaque colours that differ in every channel from pixel to pixel, and a band of translucent
// premultiplied ones (each channel at most its alpha), which show as if over black.
void drawPattern(Pixa::Canvas& canvas, std::uint32_t seed)
{
    for (std::uint32_t y = 0; y < canvas.getHeight(); ++y)
        for (std::uint32_t x = 0; x < canvas.getWidth(); ++x) {
            const std::uint32_t h = (x * 2654435761u) ^ (y * 40503u + seed) * 2246822519u;
            canvas.row(y)[x] = y % 50 == 7 ? 0x80000000u | (h & 0x007F7F7Fu) : 0xFF000000u | (h & 0x00FFFFFFu);
        }
}

std::uint32_t shown(std::uint32_t premultiplied) { return premultiplied & 0x00FFFFFFu; }

void expectShows(const std::vector<std::uint32_t>& window, const Pixa::Canvas& canvas)
{
    const auto width = canvas.getWidth();
    ASSERT_EQ(window.size(), static_cast<std::size_t>(width) * canvas.getHeight());
    int wrong = 0;
    for (std::uint32_t y = 0; y < canvas.getHeight(); ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            if (window[y * width + x] != shown(canvas.row(y)[x]) && wrong++ < 5)
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << window[y * width + x] << " for "
                              << canvas.row(y)[x];
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST_F(X11Fixture, APresentedCanvasIsShownPixelForPixel)
{
    Pixa::Canvas canvas(160, 260);
    drawPattern(canvas, 1);
    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 0, 0, 160, 260));
    ASSERT_TRUE(window.present(canvas));
    ASSERT_TRUE(window.sync());
    auto reader = X11Wrap::Connection::open();
    ASSERT_NE(reader, nullptr);
    expectShows(TestSupport::readWindowPixels(*reader, window.windowId(), 160, 260), canvas);
}

TEST_F(X11Fixture, APictureLargerThanOneRequestArrivesWhole)
{
    auto reader = X11Wrap::Connection::open();
    ASSERT_NE(reader, nullptr);
    ASSERT_GT(320u * 520u * 4u, reader->maximumRequestBytes());
    Pixa::Canvas canvas(320, 520);
    drawPattern(canvas, 2);
    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 0, 0, 320, 520));
    ASSERT_TRUE(window.present(canvas));
    ASSERT_TRUE(window.sync());
    expectShows(TestSupport::readWindowPixels(*reader, window.windowId(), 320, 520), canvas);
}

TEST_F(X11Fixture, PresentingAnAreaChangesOnlyThatArea)
{
    auto reader = X11Wrap::Connection::open();
    ASSERT_NE(reader, nullptr);
    Pixa::Canvas before(160, 260), after(160, 260), expected(160, 260);
    drawPattern(before, 3);
    drawPattern(after, 4);
    const X11Wrap::Area knob{40, 100, 80, 80};
    for (std::uint32_t y = 0; y < 260; ++y)
        for (std::uint32_t x = 0; x < 160; ++x) {
            const bool inside = static_cast<int>(x) >= knob.x && static_cast<int>(x) < knob.x + knob.width &&
                                static_cast<int>(y) >= knob.y && static_cast<int>(y) < knob.y + knob.height;
            expected.row(y)[x] = (inside ? after : before).row(y)[x];
        }
    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 0, 0, 160, 260));
    ASSERT_TRUE(window.present(before));
    ASSERT_TRUE(window.present(after, knob));
    // An area reaching past the window is cut to it.
    EXPECT_FALSE(window.present(after, {160, 0, 10, 10}));
    ASSERT_TRUE(window.sync());
    expectShows(TestSupport::readWindowPixels(*reader, window.windowId(), 160, 260), expected);
}
