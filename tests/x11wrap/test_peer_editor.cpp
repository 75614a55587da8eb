// Our host's X11 window against another maker's plug-in whose editor is a child of the window id it is
// given (the packaged ZaMaximX2; skipped where it is not installed): it opens, draws at idle, and goes
// at effEditClose.
#include <unistd.h>

#include "tests/support/WindowPixels.h"
#include "tests/x11wrap/X11TestWindow.h"
#include "tools/vsthost/PluginLibrary.h"

using X11Test::X11Fixture;

namespace {
const char* const peerPath = "/usr/lib/vst/ZaMaximX2-vst.so";
const std::uint32_t hostBackground = 0x202020;
}  // namespace

TEST_F(X11Fixture, APeerPluginsEditorOpensAndDrawsInOurHostWindow)
{
    if (access(peerPath, R_OK) != 0)
        GTEST_SKIP() << peerPath << " is not installed (scripts/bench.sh installs it)";
    VstHost::PluginLibrary library;
    ASSERT_TRUE(library.load(peerPath)) << library.error();
    auto hosted = VstHost::HostedEffect::create(library.entry());
    ASSERT_NE(hosted, nullptr);
    hosted->start(44100.0f, 512);
    ASSERT_TRUE(hosted->effect()->flags & effFlagsHasEditor);
    ERect* rect = nullptr;
    hosted->dispatch(effEditGetRect, 0, 0, &rect);
    ASSERT_NE(rect, nullptr);
    const int width = rect->right - rect->left, height = rect->bottom - rect->top;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);

    auto frame = VstHost::X11HostWindow::create(width, height);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(VstHost::openEditor(*hosted, *frame));
    VstHost::idleEditor(*hosted, *frame, 500, 50);
    frame->sync();
    auto reader = X11Wrap::Connection::open();
    ASSERT_NE(reader, nullptr);
    const auto shown = TestSupport::readWindowPixels(*reader, frame->window(), width, height);
    ASSERT_EQ(shown.size(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::size_t drawn = 0;
    for (const std::uint32_t p : shown)
        drawn += p != hostBackground;
    EXPECT_GT(drawn, shown.size() / 2);

    hosted->dispatch(effEditClose);
    VstHost::idleEditor(*hosted, *frame, 50, 50);
    frame->sync();
    std::vector<xcb_window_t> children;
    ASSERT_TRUE(TestSupport::childWindows(frame->connection(), frame->window(), children));
    EXPECT_TRUE(children.empty());
    hosted->close();
}
