// The limiter's X11 editor in our host's window under Xvfb, driven by real pointer events (XTEST):
// the same scenarios as the Windows editor's tests.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "limiter/LimiterParams.h"
#include "platform/Platform.h"
#include "plugcore/Plug.h"
#include "tests/support/EditorReference.h"
#include "tests/support/TestEffect.h"
#include "tests/support/WindowPixels.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"
#include "tools/vsthost/HostWindowX11.h"
#include "tools/vsthost/HostedEffect.h"
#include "tools/vsthost/PluginLibrary.h"
#include "tests/x11edit/EditorFixture.h"
#include "x11edit/Artwork.h"
#include "x11edit/VstEditor.h"

namespace {

using VstHost::HostedEffect;
using VstHost::HostRequest;
using namespace EditorTest;
constexpr int thresholdX = 40, thresholdY = 55;  // the threshold knob's centre (knob at 0, 15)
constexpr int makeupY = 135;                     // the makeup knob's centre (knob at 0, 95)

class X11Editor : public EditorFixture {
protected:
    void SetUp() override { openEditor(160, 260); }

    void focusOn(xcb_window_t window)
    {
        xcb_set_input_focus(hostWindow->connection(), XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        hostWindow->sync();
    }
    xcb_window_t inputFocus()
    {
        xcb_connection_t* c = hostWindow->connection();
        xcb_get_input_focus_reply_t* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const xcb_window_t focus = reply ? reply->focus : 0;
        std::free(reply);
        return focus;
    }
    void process(float level, int blocks)
    {
        std::vector<float> l(512), r(512), ol(512), or_(512);
        for (int b = 0; b < blocks; ++b) {
            for (int i = 0; i < 512; ++i)
                l[i] = r[i] = level * static_cast<float>(std::sin(0.05 * (b * 512 + i)));
            float* in[2] = {l.data(), r.data()};
            float* out[2] = {ol.data(), or_.data()};
            host->processReplacing(in, out, 512);
        }
    }
};

// What the window shows equals the editor's picture drawn again from scratch: the parts repainted alone
// (a knob's square, the meter's columns) left nothing stale.
void expectWindowIsWholePicture(X11Edit::VstEditor& editor, const std::vector<std::uint32_t>& shown)
{
    editor.openWindow()->redraw();
    const Pixa::Canvas& picture = editor.openWindow()->picture();
    int differing = 0;
    for (std::uint32_t y = 0; y < 260; ++y)
        for (std::uint32_t x = 0; x < 160; ++x)
            differing += (shown[y * 160 + x] & 0xFFFFFF) != (picture.row(y)[x] & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
}

// The defaults file in a home of the test's own, absent at the start and at the end.
struct DefaultsFile {
    std::string path;
    DefaultsFile()
    {
        // A home for each test: ctest runs them as processes of their own, side by side.
        const std::string folder = VstHost::programFolder() + "x11-editor-home-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
        Platform::createFolder(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        std::string appData;
        if (Platform::appDataFolder(appData))
            path = appData + "/Quellbrook/Tarn.defaults";
        std::remove(path.c_str());
    }
    ~DefaultsFile() { std::remove(path.c_str()); }
    bool exists() const
    {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f)
            std::fclose(f);
        return f != nullptr;
    }
};

std::vector<int> opcodes(const std::vector<HostRequest>& requests)
{
    std::vector<int> seen;
    for (const HostRequest& r : requests)
        seen.push_back(r.opcode);
    return seen;
}

TEST_F(X11Editor, ChildOfTheHostWindowShowingItsPicture)
{
    ERect* rect = nullptr;
    ASSERT_EQ(host->dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 160);
    EXPECT_EQ(rect->bottom - rect->top, 260);
    EXPECT_EQ(host->effect()->flags, 0x1031);

    xcb_connection_t* c = hostWindow->connection();
    std::vector<xcb_window_t> children;
    ASSERT_TRUE(TestSupport::childWindows(c, hostWindow->window(), children));
    ASSERT_EQ(children.size(), 1u);
    const xcb_window_t child = children[0];
    EXPECT_EQ(child, editor().openWindow()->windowId());
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c, xcb_get_geometry(c, child), nullptr);
    ASSERT_NE(geometry, nullptr);
    EXPECT_EQ(geometry->width, 160);
    EXPECT_EQ(geometry->height, 260);
    std::free(geometry);

    // The window shows what the editor drew, and most of that is the background bitmap itself.
    const std::vector<std::uint32_t> shown = windowPixels();
    ASSERT_EQ(shown.size(), 160u * 260u);
    const Pixa::Canvas& picture = editor().openWindow()->picture();
    const Pixa::Canvas& background = X11Edit::backgroundCanvas();
    int differing = 0, backgroundPixels = 0;
    for (std::uint32_t y = 0; y < 260; ++y)
        for (std::uint32_t x = 0; x < 160; ++x) {
            differing += (shown[y * 160 + x] & 0xFFFFFF) != (picture.row(y)[x] & 0xFFFFFF);
            backgroundPixels += (shown[y * 160 + x] & 0xFFFFFF) == (background.row(y)[x] & 0xFFFFFF);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(backgroundPixels, 160 * 260 / 2);
}

TEST_F(X11Editor, OnePixelDragsBetweenOneBeginAndOneEnd)
{
    host->setParameter(LimiterParams::threshold, 0.5f);
    idle();
    const float start = host->getParameter(LimiterParams::threshold);
    pointer.moveTo(hostWindow->window(), thresholdX, thresholdY);
    pointer.press(left);
    moveTo(thresholdX, thresholdY - 1);
    EXPECT_FLOAT_EQ(host->getParameter(LimiterParams::threshold), start + 1.0f / 400.0f);
    pointer.holdShift(true);
    moveTo(thresholdX, thresholdY - 2);
    pointer.holdShift(false);
    EXPECT_FLOAT_EQ(host->getParameter(LimiterParams::threshold), start + 1.0f / 400.0f + 1.0f / 4000.0f);
    pointer.release(left);
    idle();
    EXPECT_EQ(opcodes(host->takeRequests()),
              (std::vector<int>{audioMasterBeginEdit, audioMasterAutomate, audioMasterAutomate, audioMasterEndEdit}));
    expectWindowIsWholePicture(editor(), windowPixels());
}

TEST_F(X11Editor, RightClickDuringADragCentresAndEndsIt)
{
    pointer.moveTo(hostWindow->window(), thresholdX, thresholdY);
    pointer.press(left);
    moveTo(thresholdX, thresholdY + 30);
    pointer.press(right);
    pointer.release(right);
    idle();
    EXPECT_EQ(host->getParameter(LimiterParams::threshold), 0.5f);
    moveTo(thresholdX, thresholdY + 60);  // the drag has ended
    pointer.release(left);
    idle();
    EXPECT_EQ(host->getParameter(LimiterParams::threshold), 0.5f);
    const auto seen = opcodes(host->takeRequests());
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), audioMasterBeginEdit);
    EXPECT_EQ(seen.back(), audioMasterEndEdit);
}

TEST_F(X11Editor, ClicksOutsideAKnobsDiscDoNothing)
{
    const float start = host->getParameter(LimiterParams::threshold);
    for (auto [x, y] : {std::pair{3, 18}, std::pair{76, 18}, std::pair{thresholdX + 32, thresholdY}}) {
        pointer.moveTo(hostWindow->window(), x, y);
        pointer.press(left);
        moveTo(x, y - 20);
        pointer.release(left);
        idle();
    }
    EXPECT_EQ(host->getParameter(LimiterParams::threshold), start);
    EXPECT_TRUE(host->takeRequests().empty());
}

// The makeup knob's menu opens at (0, 165): reset, a separator, learn, unlearn, 14 pixels an item.
TEST_F(X11Editor, KnobMenuResetsLearnsAndUnlearns)
{
    PlugCore::Plug& plug = plugOf(*host);
    const int index = LimiterParams::makeup;
    host->setParameter(index, 0.9f);
    idle();
    click(thresholdX, makeupY, right);
    click(20, 172, left);  // reset
    EXPECT_EQ(host->getParameter(index), plug.paramTable()[index].defaultValue);
    EXPECT_EQ(opcodes(host->takeRequests()), (std::vector<int>{audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit}));

    click(thresholdX, makeupY, right);
    click(20, 208, left);  // unlearn, disabled while nothing is bound: the menu stays
    click(20, 194, left);  // learn
    EXPECT_EQ(plug.learningParam(), index);
    EXPECT_TRUE(editor().isLearning(index));
    host->sendMidi({HostedEffect::midiEvent(0, 0xB0, 7, 127)});
    process(0.0f, 1);
    idle();
    EXPECT_EQ(plug.learningParam(), -1);
    EXPECT_FALSE(editor().isLearning(index));
    EXPECT_EQ(plug.paramTable()[index].midiKey.load(), static_cast<std::int32_t>(0xFFFFB007));
    host->sendMidi({HostedEffect::midiEvent(0, 0xB0, 7, 0)});
    process(0.0f, 1);
    EXPECT_EQ(host->getParameter(index), 0.0f);  // the controller moves the knob

    click(thresholdX, makeupY, right);
    click(20, 208, left);  // unlearn
    EXPECT_EQ(plug.paramTable()[index].midiKey.load(), -1);
}

TEST_F(X11Editor, SwitchesFlipByClickAndMenu)
{
    const int index = LimiterParams::meterScale;
    const float start = host->getParameter(index);
    click(120, 10, left);
    EXPECT_EQ(host->getParameter(index) > 0.5f, !(start > 0.5f));
    click(120, 10, right);
    click(120, 27, left);  // "20dB scale"
    EXPECT_EQ(host->getParameter(index), 0.0f);
    click(120, 10, right);
    click(120, 41, left);  // "40dB scale"
    EXPECT_EQ(host->getParameter(index), 1.0f);
    click(120, 10, right);
    click(10, 100, left);  // outside the menu: dismissed, nothing chosen
    EXPECT_EQ(host->getParameter(index), 1.0f);
}

TEST_F(X11Editor, SaveQuestionWritesTheDefaultsOnlyAfterYes)
{
    const DefaultsFile defaults;
    ASSERT_FALSE(defaults.path.empty());
    click(150, 250, left);  // the corner: its menu opens above it
    click(150, 236, left);  // "Save defaults..."
    click(118, 167, left);  // Cancel
    EXPECT_FALSE(defaults.exists());
    click(150, 250, left);
    click(150, 236, left);
    click(80, 10, left);  // outside the question: Cancel too
    EXPECT_FALSE(defaults.exists());
    click(150, 250, left);
    click(150, 236, left);
    click(42, 167, left);  // OK
    EXPECT_TRUE(defaults.exists());
}

// Escape on the keyboard while the host keeps the focus on its own window: the editor holds the focus
// while a menu shows, so the key reaches it, and hands it back afterwards.
TEST_F(X11Editor, EscapeClosesAKnobMenuWithNothingChosenAndReturnsTheFocus)
{
    focusOn(hostWindow->window());
    const float value = host->getParameter(LimiterParams::makeup);
    const std::vector<std::uint32_t> before = windowPixels();
    click(thresholdX, makeupY, right);
    EXPECT_FALSE(windowPixels() == before);  // the menu shows
    EXPECT_EQ(inputFocus(), editor().openWindow()->windowId());
    ASSERT_TRUE(pointer.strike(X11Wrap::keysymEscape));
    idle();
    EXPECT_TRUE(windowPixels() == before);
    EXPECT_EQ(host->getParameter(LimiterParams::makeup), value);
    EXPECT_TRUE(host->takeRequests().empty());
    EXPECT_EQ(inputFocus(), hostWindow->window());
}

TEST_F(X11Editor, EscapeAnswersTheSaveQuestionWithCancel)
{
    const DefaultsFile defaults;
    ASSERT_FALSE(defaults.path.empty());
    focusOn(hostWindow->window());
    const std::vector<std::uint32_t> before = windowPixels();
    click(150, 250, left);
    click(150, 236, left);  // "Save defaults...": the question replaces the menu, the focus stays ours
    EXPECT_EQ(inputFocus(), editor().openWindow()->windowId());
    ASSERT_TRUE(pointer.strike(X11Wrap::keysymEscape));
    idle();
    EXPECT_FALSE(defaults.exists());
    EXPECT_TRUE(windowPixels() == before);
    EXPECT_EQ(inputFocus(), hostWindow->window());
}

// Hosts that keep the keyboard forward keys through effEditKeyDown: Escape is ours only while something
// shows; the rest stay the host's shortcuts.
TEST_F(X11Editor, HostForwardedEscapeClosesAShownMenuAndNothingElse)
{
    focusOn(hostWindow->window());
    const int index = LimiterParams::meterScale;
    const float value = host->getParameter(index);
    const std::vector<std::uint32_t> before = windowPixels();
    EXPECT_EQ(host->dispatch(effEditKeyDown, 0, VKEY_ESCAPE), 0);
    click(120, 10, right);  // the meter scale switch's menu
    EXPECT_EQ(host->dispatch(effEditKeyDown, ' ', VKEY_SPACE), 0);
    EXPECT_EQ(host->dispatch(effEditKeyDown, 'a', 0), 0);
    idle();
    EXPECT_FALSE(windowPixels() == before);
    EXPECT_EQ(host->dispatch(effEditKeyDown, 0, VKEY_ESCAPE), 1);
    EXPECT_EQ(inputFocus(), hostWindow->window());
    idle();
    EXPECT_TRUE(windowPixels() == before);
    EXPECT_EQ(host->getParameter(index), value);
    EXPECT_EQ(host->dispatch(effEditKeyDown, 0, VKEY_ESCAPE), 0);

    click(120, 10, right);  // Escape as a character alone, as some hosts send it
    EXPECT_EQ(host->dispatch(effEditKeyDown, 27, 0), 1);
    idle();
    EXPECT_TRUE(windowPixels() == before);
}

TEST_F(X11Editor, MeterShowsLoudAudioAndSilence)
{
    process(0.0f, 20);
    idle();
    const std::vector<std::uint32_t> quiet = windowPixels();
    process(1.0f, 20);
    idle();
    const std::vector<std::uint32_t> loud = windowPixels();
    int changed = 0;
    for (int y = 20; y < 240; ++y)
        for (int x = 80; x < 160; ++x)
            changed += quiet[static_cast<std::size_t>(y * 160 + x)] != loud[static_cast<std::size_t>(y * 160 + x)];
    EXPECT_GT(changed, 100);
    process(0.0f, 400);  // long enough for the peaks and holds to fall
    idle();
    const std::vector<std::uint32_t> again = windowPixels();
    int back = 0;
    for (int y = 20; y < 240; ++y)
        for (int x = 80; x < 160; ++x)
            back += again[static_cast<std::size_t>(y * 160 + x)] != loud[static_cast<std::size_t>(y * 160 + x)];
    EXPECT_GT(back, 100);
    expectWindowIsWholePicture(editor(), again);
}

TEST_F(X11Editor, ReopensWhileTheAudioThreadPublishes)
{
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        while (!stop)
            process(1.0f, 1);
    });
    for (int round = 0; round < 20; ++round) {
        host->dispatch(effEditClose);
        ASSERT_TRUE(VstHost::openEditor(*host, *hostWindow));
        for (int i = 0; i < 3; ++i)
            host->dispatch(effEditIdle);
    }
    stop = true;
    audio.join();
    EXPECT_TRUE(editor().isOpen());
}

TEST_F(X11Editor, EffCloseWithTheEditorOpen)
{
    host->close();
    host.reset();
    hostWindow->sync();
}

// The Windows editor's picture of the same state (written under Wine by plugedit_tests), pixel for
// pixel outside the texts: the same background, knob film strip, arcs, badge and layering.
TEST_F(X11Editor, SamePixelsAsWindowsOutsideTheTexts)
{
    for (const auto& s : EditorReference::settings)
        host->setParameter(s.index, s.value);
    editor().startLearn(EditorReference::learningIndex);
    idle();
    const std::vector<std::uint32_t> reference = EditorReference::read();
    ASSERT_EQ(reference.size(), 160u * 260u) << EditorReference::path();
    const EditorReference::Difference d = EditorReference::compare(windowPixels(), reference);
    EXPECT_EQ(d.count, 0) << "first at " << d.x << ", " << d.y;
}

TEST(X11EditorWithoutServer, OpenAnswersZeroAndAudioGoesOn)
{
    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    auto host = HostedEffect::create(TestSupport::limiterEntry);
    host->start(44100.0f, 64);
    EXPECT_EQ(host->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(std::uintptr_t{0x400001})), 0);
    host->dispatch(effEditIdle);
    std::vector<float> in(64, 0.5f), out(64, 0.0f);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    host->processReplacing(ins, outs, 64);
    host->dispatch(effEditClose);
    if (!saved.empty())
        setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
