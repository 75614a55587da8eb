// The X11 editor at twice its size, as hosts ask for it (effVendorSpecific 'PreS'/'AeCs' with the
// factor) or as the desktop's Xft.dpi implies: the window, the picture and the pointer under Xvfb.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "limiter/LimiterParams.h"
#include "tests/support/EditorReference.h"
#include "tests/x11edit/EditorFixture.h"
#include "x11edit/Artwork.h"

namespace {

using EditorTest::left;
using EditorTest::right;
using VstHost::HostedEffect;

struct Size {
    int width, height;
};

X11Edit::VstEditor& editorOf(HostedEffect& host)
{
    return *dynamic_cast<X11Edit::VstEditor*>(EditorTest::plugOf(host).getEditor());
}

Size editorRect(HostedEffect& host)
{
    ERect* rect = nullptr;
    if (host.dispatch(effEditGetRect, 0, 0, &rect) != 1 || !rect)
        return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

VstIntPtr askScale(HostedEffect& host, float factor)
{
    return host.dispatch(effVendorSpecific, kVendorEditorScale, kVendorEditorScaleValue, nullptr, factor);
}

Size windowSize(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
    const Size size = geometry ? Size{geometry->width, geometry->height} : Size{0, 0};
    std::free(geometry);
    return size;
}

std::unique_ptr<HostedEffect> startedLimiter()
{
    auto host = HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 512);
    return host;
}

// The root window's resources as a desktop publishes them; gone again at the end of the scope.
class DesktopResources {
public:
    explicit DesktopResources(const char* text)
    {
        connection = X11Wrap::Connection::open();
        xcb_change_property(connection->get(), XCB_PROP_MODE_REPLACE, connection->screen().root,
                            XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(std::strlen(text)), text);
        xcb_aux_sync();
    }
    ~DesktopResources()
    {
        xcb_delete_property(connection->get(), connection->screen().root, XCB_ATOM_RESOURCE_MANAGER);
        xcb_aux_sync();
    }

private:
    void xcb_aux_sync()
    {
        std::free(xcb_get_input_focus_reply(connection->get(), xcb_get_input_focus(connection->get()), nullptr));
    }
    std::unique_ptr<X11Wrap::Connection> connection;
};

class ScaledEditor : public EditorTest::EditorFixture {
protected:
    void SetUp() override { openEditor(320, 520, 2.0f); }
};

// The mean of each 2 by 2 block: the 2x picture seen at the designed size.
std::vector<int> halved(const Pixa::Canvas& big, int channel)
{
    const int w = static_cast<int>(big.getWidth()) / 2, h = static_cast<int>(big.getHeight()) / 2;
    std::vector<int> out(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    sum +=
                        static_cast<int>(big.row(static_cast<std::uint32_t>(2 * y + dy))[2 * x + dx] >> channel & 0xFF);
            out[static_cast<std::size_t>(y * w + x)] = (sum + 2) / 4;
        }
    return out;
}

}  // namespace

TEST_F(ScaledEditor, HostRequestOpensTwiceTheSizeAndShowsItsPicture)
{
    const Size rect = editorRect(*host);
    EXPECT_EQ(rect.width, 320);
    EXPECT_EQ(rect.height, 520);
    X11Edit::EditorWindow& window = *editorOf(*host).openWindow();
    const Size size = windowSize(hostWindow->connection(), window.windowId());
    EXPECT_EQ(size.width, 320);
    EXPECT_EQ(size.height, 520);

    const std::vector<std::uint32_t> shown = windowPixels();
    ASSERT_EQ(shown.size(), 320u * 520u);
    int differing = 0;
    for (std::uint32_t y = 0; y < 520; ++y)
        for (std::uint32_t x = 0; x < 320; ++x)
            differing += (shown[y * 320 + x] & 0xFFFFFF) != (window.picture().row(y)[x] & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
}

// Every shape and text at twice the size in the same place: seen at the designed size, the 2x picture
// is close to the 1x picture of the same state. Outside the texts every small block is (a shape left
// at 1x, drawn at the wrong place or missing shows as a block far off); the texts, whose glyphs fall
// on whole pixels differently at twice the size, are close on the whole.
TEST_F(ScaledEditor, SeenAtTheDesignedSizeItIsTheUsualPicture)
{
    auto plain = startedLimiter();
    auto plainWindow = VstHost::X11HostWindow::create(160, 260);
    ASSERT_TRUE(VstHost::openEditor(*plain, *plainWindow));
    for (HostedEffect* h : {host.get(), plain.get()}) {
        for (const auto& setting : EditorReference::settings)
            h->setParameter(setting.index, setting.value);
        editorOf(*h).startLearn(EditorReference::learningIndex);
        h->dispatch(effEditIdle);
    }
    X11Edit::EditorWindow& big = *editorOf(*host).openWindow();
    X11Edit::EditorWindow& small = *editorOf(*plain).openWindow();
    big.redraw();
    small.redraw();
    ASSERT_EQ(big.picture().getWidth(), 320u);
    ASSERT_EQ(small.picture().getWidth(), 160u);

    // What the editor drew over its background, compared: the backgrounds themselves are held to each
    // other by the artwork's own tests.
    std::vector<int> difference(160 * 260, 0);  // the largest of the three channels'
    for (int channel : {0, 8, 16}) {
        const std::vector<int> seen = halved(big.picture(), channel),
                               ground = halved(X11Edit::backgroundCanvas(2), channel);
        for (int y = 0; y < 260; ++y)
            for (int x = 0; x < 160; ++x) {
                const std::size_t i = static_cast<std::size_t>(y * 160 + x);
                auto at = [&](const Pixa::Canvas& c) {
                    return static_cast<int>(c.row(static_cast<std::uint32_t>(y))[x] >> channel & 0xFF);
                };
                const int expected = at(small.picture()) - at(X11Edit::backgroundCanvas(1));
                difference[i] = std::max(difference[i], std::abs(seen[i] - ground[i] - expected));
            }
    }
    // Texts (and the knobs under the badges' rectangles): as much light above the background in each
    // rectangle (a text left at its usual size in the larger picture brings a quarter of it).
    struct Region {
        int left, top, right, bottom;
    };
    std::vector<Region> texts{{0, 5, 160, 17}};
    for (int row = 0; row < 3; ++row)
        texts.push_back({0, row * 80 + 71, 80, row * 80 + 95}), texts.push_back({10, row * 80 + 37, 70, row * 80 + 61});
    auto light = [](Pixa::Color c) { return static_cast<int>((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)); };
    auto ink = [&](const Pixa::Canvas& picture, int s, const Region& r) {
        const Pixa::Canvas& ground = X11Edit::backgroundCanvas(s);
        double sum = 0;
        for (int y = r.top * s; y < r.bottom * s; ++y)
            for (int x = r.left * s; x < r.right * s; ++x)
                sum += std::max(0, light(picture.row(static_cast<std::uint32_t>(y))[x]) - light(ground.colorAt(x, y)));
        return sum / (s * s);
    };
    for (const Region& r : texts) {
        const double usual = ink(small.picture(), 1, r), twice = ink(big.picture(), 2, r);
        EXPECT_GT(twice, usual * 0.8) << "the text at " << r.left << ", " << r.top;
        EXPECT_LT(twice, usual * 1.25) << "the text at " << r.left << ", " << r.top;
    }
    for (int by = 0; by < 260; by += 4)
        for (int bx = 0; bx < 160; bx += 4) {
            int block = 0, counted = 0;
            for (int y = by; y < by + 4; ++y)
                for (int x = bx; x < bx + 4; ++x)
                    if (!EditorReference::inText(x, y))
                        block += difference[static_cast<std::size_t>(y * 160 + x)], ++counted;
            ASSERT_LE(block, counted * 24) << "the 4 by 4 block at " << bx << ", " << by;
        }
    plain->dispatch(effEditClose);
}

TEST_F(ScaledEditor, PointerWorksInTheEditorsUnits)
{
    // The threshold knob's centre is at (40, 55) in the editor's units.
    host->setParameter(LimiterParams::threshold, 0.5f);
    idle();
    pointer.moveTo(hostWindow->window(), 80, 110);
    pointer.press(left);
    moveTo(80, 108);  // two pixels of the window: one of the editor's
    pointer.release(left);
    idle();
    EXPECT_FLOAT_EQ(host->getParameter(LimiterParams::threshold), 0.5f + 1.0f / 400.0f);

    // Outside the disc at 2x (the disc's radius is 64 window pixels).
    click(80 + 66, 110, left);
    EXPECT_FLOAT_EQ(host->getParameter(LimiterParams::threshold), 0.5f + 1.0f / 400.0f);

    // The knob's menu opens at (0, 85) in the editor's units; its first item (reset) is rows 88..101.
    click(80, 110, right);
    click(40, 190, left);
    EXPECT_EQ(host->getParameter(LimiterParams::threshold),
              EditorTest::plugOf(*host).paramTable()[LimiterParams::threshold].defaultValue);

    // The dither switch: the top left, rows 5..16 in the editor's units.
    const float dither = host->getParameter(LimiterParams::dither);
    click(60, 20, left);
    EXPECT_NE(host->getParameter(LimiterParams::dither) > 0.5f, dither > 0.5f);
}

TEST_F(ScaledEditor, ScaleChangedWhileOpenRemakesTheWindowAndAsksTheHostToFit)
{
    ASSERT_EQ(askScale(*host, 1.0f), 1);
    idle();
    X11Edit::EditorWindow* window = editorOf(*host).openWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->scale(), 1);
    const Size size = windowSize(hostWindow->connection(), window->windowId());
    EXPECT_EQ(size.width, 160);
    EXPECT_EQ(size.height, 260);
    const std::vector<VstHost::HostRequest> requests = host->takeRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, audioMasterSizeWindow);
    EXPECT_EQ(requests[0].index, 160);
    EXPECT_EQ(requests[0].value, 260);

    ASSERT_EQ(askScale(*host, 1.0f), 1);  // no change: nothing remade, nothing asked
    EXPECT_EQ(editorOf(*host).openWindow(), window);
    EXPECT_TRUE(host->takeRequests().empty());
}

TEST(ScaleDecision, HostFactorRoundsAndXftDpiDecidesWhenTheHostIsSilent)
{
    std::string error;
    ASSERT_NE(TestSupport::sharedXvfb(error), nullptr) << error;
    {
        auto host = startedLimiter();
        EXPECT_EQ(editorRect(*host).width, 160);  // a bare server publishes no Xft.dpi
        EXPECT_EQ(askScale(*host, 1.25f), 1);
        EXPECT_EQ(editorRect(*host).width, 160);
        EXPECT_EQ(askScale(*host, 1.5f), 1);
        EXPECT_EQ(editorRect(*host).width, 320);
        EXPECT_EQ(askScale(*host, 0.0f), 0);  // refused, the last factor holds
        EXPECT_EQ(editorRect(*host).height, 520);
        // Another vendor's request is not ours.
        EXPECT_EQ(host->dispatch(effVendorSpecific, kVendorEditorScale, 0, nullptr, 1.0f), 0);
        EXPECT_EQ(editorRect(*host).height, 520);
    }
    DesktopResources hiDpi("Xft.antialias:\t1\nXft.dpi:\t144\n");
    {
        auto host = startedLimiter();
        EXPECT_EQ(editorRect(*host).width, 320);
        ASSERT_EQ(askScale(*host, 1.0f), 1);  // the host's word wins over the desktop's
        EXPECT_EQ(editorRect(*host).width, 160);
    }
    DesktopResources usual("Xft.dpi:\t120\n");
    EXPECT_EQ(editorRect(*startedLimiter()).width, 160);
}
