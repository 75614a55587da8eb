#include <cstring>

#include "tests/x11wrap/X11TestWindow.h"
#include "x11wrap/ResourceDpi.h"

using X11Test::X11Fixture;

TEST(XftDpi, IsReadFromTheResourceText)
{
    EXPECT_EQ(X11Wrap::parseXftDpi("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144);
    EXPECT_EQ(X11Wrap::parseXftDpi("  Xft.dpi :  96.6"), 97);  // no newline at the end
    EXPECT_EQ(X11Wrap::parseXftDpi("Xft.dpi:\t96\nXft.dpi:\t192\n"), 192);  // the last one counts
    EXPECT_EQ(X11Wrap::parseXftDpi("Xft.dpiScale:\t2\n*dpi:\t144\nXft.dpi:\tlarge\n"), 0);
    EXPECT_EQ(X11Wrap::parseXftDpi(""), 0);
}

TEST_F(X11Fixture, XftDpiComesFromTheRootWindowsResourceProperty)
{
    auto connection = X11Wrap::Connection::open();
    ASSERT_NE(connection, nullptr);
    xcb_connection_t* c = connection->get();
    const xcb_window_t root = connection->screen().root;
    EXPECT_EQ(X11Wrap::readXftDpi(*connection), 0);  // a bare Xvfb publishes no resources

    const char* resources = "Xft.antialias:\t1\nXft.dpi:\t144\n";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(std::strlen(resources)), resources);
    EXPECT_EQ(X11Wrap::readXftDpi(*connection), 144);

    xcb_delete_property(c, root, XCB_ATOM_RESOURCE_MANAGER);
    EXPECT_EQ(X11Wrap::readXftDpi(*connection), 0);
}
