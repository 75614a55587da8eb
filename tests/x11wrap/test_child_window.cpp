#include <cstdlib>
#include <string>

#include "pixa/Paint.h"
#include "tests/support/WindowPixels.h"
#include "tests/x11wrap/X11TestWindow.h"

using X11Test::RecordingWindow;
using X11Test::X11Fixture;

namespace {

struct QueryReplies {
    xcb_query_tree_reply_t* tree;
    xcb_get_geometry_reply_t* geometry;
    xcb_get_window_attributes_reply_t* attributes;
    ~QueryReplies() { free(tree), free(geometry), free(attributes); }
};

// DISPLAY as a test wants it, put back afterwards.
class DisplayVariable {
public:
    explicit DisplayVariable(const char* value)
    {
        if (const char* old = std::getenv("DISPLAY"))
            saved = old, hadOne = true;
        value ? setenv("DISPLAY", value, 1) : unsetenv("DISPLAY");
    }
    ~DisplayVariable() { hadOne ? setenv("DISPLAY", saved.c_str(), 1) : unsetenv("DISPLAY"); }

private:
    std::string saved;
    bool hadOne = false;
};

void expectCleanFailure(const char* display)
{
    DisplayVariable variable(display);
    Pixa::Canvas canvas(160, 260);
    testing::internal::CaptureStdout();
    RecordingWindow window;
    EXPECT_FALSE(window.open(0x200001, 0, 0, 160, 260));
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.dispatchEvents());
    EXPECT_FALSE(window.present(canvas));
    EXPECT_FALSE(window.sync());
    EXPECT_EQ(X11Wrap::Connection::open(), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace

TEST_F(X11Fixture, TheWindowIsAMappedChildOfTheHostWindowAtTheSizeAskedAndIsExposed)
{
    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 10, 20, 160, 260));
    xcb_connection_t* c = host->connection();
    const xcb_window_t id = window.windowId();
    QueryReplies r{xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr),
                   xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr),
                   xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr)};
    ASSERT_TRUE(r.tree && r.geometry && r.attributes);
    EXPECT_EQ(r.tree->parent, host->window());
    EXPECT_EQ(r.geometry->x, 10);
    EXPECT_EQ(r.geometry->y, 20);
    EXPECT_EQ(r.geometry->width, 160);
    EXPECT_EQ(r.geometry->height, 260);
    EXPECT_EQ(r.geometry->border_width, 0);
    EXPECT_EQ(r.attributes->map_state, XCB_MAP_STATE_VIEWABLE);
    EXPECT_FALSE(r.attributes->override_redirect);

    // Mapping exposes the whole window; the exposures of one drain come as one area.
    ASSERT_TRUE(window.dispatchUntil([&] { return !window.exposures.empty(); }));
    const X11Wrap::Area all = window.exposures.back();
    EXPECT_EQ(all.x, 0);
    EXPECT_EQ(all.y, 0);
    EXPECT_EQ(all.width, 160);
    EXPECT_EQ(all.height, 260);
}

TEST_F(X11Fixture, AParentThatIsNoWindowIsRefused)
{
    RecordingWindow window;
    EXPECT_FALSE(window.open(host->window() + 1000, 0, 0, 160, 260));
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.dispatchEvents());
}

TEST(X11NoServer, UnsetOrBogusDisplayFailsQuietly)
{
    expectCleanFailure(nullptr);
    expectCleanFailure(":99999");
}

TEST_F(X11Fixture, TheHostDestroyingItsWindowFirstHurtsNothing)
{
    Pixa::Canvas canvas(160, 260);
    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 0, 0, 160, 260));
    ASSERT_TRUE(window.sync());
    host->destroyWindow();
    // Not known yet: these requests go to a window that is gone, and their errors come back as events.
    window.present(canvas);
    window.present(canvas, {5, 5, 10, 10});
    EXPECT_TRUE(window.sync());
    EXPECT_FALSE(window.dispatchEvents());
    EXPECT_FALSE(window.isOpen());
    EXPECT_FALSE(window.present(canvas));
    window.close();
    // And the object can open again into a new host window.
    host = VstHost::X11HostWindow::create(200, 300);
    ASSERT_NE(host, nullptr);
    EXPECT_TRUE(window.open(host->window(), 0, 0, 160, 260));
}

TEST_F(X11Fixture, ClosingBeforeTheHostDestroysItsWindowRemovesOurs)
{
    xcb_connection_t* c = host->connection();
    {
        RecordingWindow window;
        ASSERT_TRUE(window.open(host->window(), 0, 0, 160, 260));
        ASSERT_TRUE(window.sync());
    }
    std::vector<xcb_window_t> children;
    ASSERT_TRUE(TestSupport::childWindows(c, host->window(), children));
    EXPECT_TRUE(children.empty());
}

// A host whose window is wider than ours and stretches ours to fill it (Ardour's LV2 window with its
// toolbar does, to 419 pixels): the hints ask it not to, and where it does, every pixel beyond the content shows the
// surround colour instead of whatever the screen held before.
TEST_F(X11Fixture, AStretchedWindowShowsItsSurroundBeyondTheContentAndAsksToKeepItsSize)
{
    xcb_connection_t* c = host->connection();
    // Paint the host's window with a colour that must not show through ours.
    const xcb_gcontext_t paint = xcb_generate_id(c);
    const std::uint32_t magenta = 0xFF00FF;
    xcb_create_gc(c, paint, host->window(), XCB_GC_FOREGROUND, &magenta);
    const xcb_rectangle_t all = {0, 0, 400, 600};
    xcb_poly_fill_rectangle(c, host->window(), paint, 1, &all);
    xcb_free_gc(c, paint);

    RecordingWindow window;
    ASSERT_TRUE(window.open(host->window(), 0, 0, 160, 260, 0x203040));
    const xcb_window_t id = window.windowId();
    xcb_get_property_reply_t* hints = xcb_get_property_reply(
        c, xcb_get_property(c, 0, id, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, 18), nullptr);
    ASSERT_NE(hints, nullptr);
    ASSERT_EQ(xcb_get_property_value_length(hints), 18 * 4);
    const auto* h = static_cast<const std::uint32_t*>(xcb_get_property_value(hints));
    EXPECT_EQ(h[0] & 0x30u, 0x30u);  // minimum and maximum given
    EXPECT_EQ(h[5], 160u);
    EXPECT_EQ(h[6], 260u);
    EXPECT_EQ(h[7], 160u);
    EXPECT_EQ(h[8], 260u);
    free(hints);

    ASSERT_TRUE(window.dispatchUntil([&] { return !window.exposures.empty(); }));
    Pixa::Canvas content(160, 260);
    content.fillPaint(Pixa::SolidPaint(0xFF808080u));
    window.present(content);
    const std::uint32_t size[] = {390, 300};
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(c);
    window.exposures.clear();
    ASSERT_TRUE(window.dispatchUntil([&] { return !window.exposures.empty(); }));
    window.present(content);
    ASSERT_TRUE(window.sync());

    const auto reader = X11Wrap::Connection::open();
    const std::vector<std::uint32_t> pixels = TestSupport::readWindowPixels(*reader, id, 390, 300);
    ASSERT_EQ(pixels.size(), 390u * 300u);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 390; ++x) {
            const std::uint32_t expected = x < 160 && y < 260 ? 0x808080u : 0x203040u;
            ASSERT_EQ(pixels[static_cast<std::size_t>(y) * 390 + x] & 0xFFFFFFu, expected) << x << ", " << y;
        }
}
