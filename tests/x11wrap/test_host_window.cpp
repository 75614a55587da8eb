// Our host's X11 side against a bare effect whose editor is a child window of this layer: effEditOpen
// takes the host window's id as its pointer, the editor draws at effEditIdle, and the host's window
// then shows the editor's picture.
#include <cstdio>

#include "tests/support/WindowPixels.h"
#include "tools/imagefile/ImageFile.h"
#include "tools/pluginhost/Vst2Plugin.h"
#include "tools/render/EditorCapture.h"
#include "tests/x11wrap/X11TestWindow.h"

using X11Test::X11Fixture;

namespace {

class PictureEditor : public X11Wrap::ChildWindow {
public:
    PictureEditor()
    {
        for (std::uint32_t y = 0; y < 260; ++y)
            for (std::uint32_t x = 0; x < 160; ++x)
                canvas.row(y)[x] = 0xFF000000u | (x << 16) | (y & 0xFF) << 8 | ((x + y) & 0xFF);
    }

    void idle()
    {
        ++idles;
        if (dispatchEvents() && exposedSinceIdle)
            present(canvas);
        exposedSinceIdle = false;
    }

    Pixa::Canvas canvas{160, 260};
    int idles = 0;

protected:
    void exposed(const X11Wrap::Area&) override { exposedSinceIdle = true; }

private:
    bool exposedSinceIdle = false;
};

PictureEditor* editor = nullptr;
ERect editorRect{0, 0, 260, 160};

VstIntPtr VSTCALLBACK dispatcher(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    switch (opcode) {
    case effEditGetRect:
        *static_cast<ERect**>(ptr) = &editorRect;
        return 1;
    case effEditOpen:
        editor = new PictureEditor;
        if (editor->open(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(ptr)), 0, 0, 160, 260))
            return 1;
        delete editor;
        editor = nullptr;
        return 0;
    case effEditIdle:
        if (editor)
            editor->idle();
        return 0;
    case effEditClose:
        delete editor;
        editor = nullptr;
        return 0;
    default:
        return 0;
    }
}

AEffect* VSTCALLBACK bareEditorEntry(audioMasterCallback)
{
    static AEffect effect;
    effect.magic = kEffectMagic;
    effect.dispatcher = dispatcher;
    effect.flags = effFlagsHasEditor;
    return &effect;
}

}  // namespace

TEST_F(X11Fixture, TheEditorOpensIntoOurHostWindowAndDrawsAtIdle)
{
    auto hosted = VstHost::HostedEffect::create(bareEditorEntry);
    ASSERT_NE(hosted, nullptr);
    auto frame = VstHost::X11HostWindow::create(160, 260);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(VstHost::openEditor(*hosted, *frame));
    ASSERT_NE(editor, nullptr);
    VstHost::idleEditor(*hosted, *frame, 200, 50);
    EXPECT_GE(editor->idles, 8);

    editor->sync();
    auto reader = X11Wrap::Connection::open();
    ASSERT_NE(reader, nullptr);
    const auto shown = TestSupport::readWindowPixels(*reader, frame->window(), 160, 260);
    ASSERT_EQ(shown.size(), 160u * 260u);
    int wrong = 0;
    for (std::uint32_t y = 0; y < 260; ++y)
        for (std::uint32_t x = 0; x < 160; ++x)
            wrong += shown[y * 160 + x] != (editor->canvas.row(y)[x] & 0x00FFFFFFu);
    EXPECT_EQ(wrong, 0);

    hosted->dispatch(effEditClose);
    frame->sync();
    std::vector<xcb_window_t> children;
    ASSERT_TRUE(TestSupport::childWindows(frame->connection(), frame->window(), children));
    EXPECT_TRUE(children.empty());
}

TEST_F(X11Fixture, TheRenderersEditorCaptureWritesWhatTheEditorShows)
{
    auto hosted = PluginHost::Vst2Plugin::create(bareEditorEntry);
    ASSERT_NE(hosted, nullptr);
    const std::string path = testing::TempDir() + "x11-editor-capture.png";
    {
        Render::EditorCapture capture;
        std::string error;
        ASSERT_TRUE(capture.open(*hosted, error)) << error;
        ASSERT_TRUE(capture.photograph(path, error)) << error;
        // The same picture as the editor's canvas, in the encoder's own form.
        ImageFile::Picture expected{160, 260, {}};
        for (std::uint32_t y = 0; y < 260; ++y)
            for (std::uint32_t x = 0; x < 160; ++x)
                expected.pixels.push_back(editor->canvas.row(y)[x]);
        std::vector<unsigned char> written;
        ASSERT_TRUE(ImageFile::readFile(path, written));
        EXPECT_EQ(written, ImageFile::encodePng(expected));
    }
    EXPECT_EQ(editor, nullptr);  // the capture closed the editor
    std::remove(path.c_str());
}

TEST(X11HostWindowWithoutServer, IsNotCreated)
{
    const std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("DISPLAY", ":99999", 1);
    EXPECT_EQ(VstHost::X11HostWindow::create(160, 260), nullptr);
    saved.empty() ? unsetenv("DISPLAY") : setenv("DISPLAY", saved.c_str(), 1);
}
