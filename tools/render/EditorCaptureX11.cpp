#include "tools/render/EditorCapture.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "tools/imagefile/ImageFile.h"
#include "tools/vsthost/HostWindowX11.h"

namespace Render {

namespace {
const int idlesPerSecond = 50;  // a steady host rate (Linux hosts idle 15 to 60 times a second)
}

struct EditorCapture::Frame {
    std::unique_ptr<VstHost::X11HostWindow> window;
};

EditorCapture::EditorCapture() = default;

bool EditorCapture::open(PluginHost::HostedPlugin& hosted, std::string& error, float scale)
{
    if (!askEditorSize(hosted, scale, error))
        return false;
    auto window = VstHost::X11HostWindow::create(width, height);
    if (!window) {
        error = "cannot open a window for the editor: no X server (set DISPLAY, or run under xvfb-run)";
        return false;
    }
    if (!hosted.openEditor(window->editorParent())) {
        error = "the plug-in did not open its editor";
        return false;
    }
    host = &hosted;
    frame.reset(new Frame{std::move(window)});
    settle(30);
    return true;
}

EditorCapture::~EditorCapture()
{
    if (!host)
        return;
    host->closeEditor();
}

void EditorCapture::pump()
{
    frame->window->pumpEvents();
    host->idleEditor();
}

void EditorCapture::settle(int milliseconds)
{
    const auto period = std::chrono::microseconds(1000000 / idlesPerSecond);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    auto next = std::chrono::steady_clock::now();
    do {
        pump();
        next += period;
        std::this_thread::sleep_until(next);
    } while (std::chrono::steady_clock::now() < until);
    frame->window->sync();
}

bool EditorCapture::photograph(const std::string& path, std::string& error)
{
    settle(40);  // idle calls take the newest meter block and draw it
    xcb_connection_t* c = frame->window->connection();
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, frame->window->window(), 0, 0, static_cast<std::uint16_t>(width),
                      static_cast<std::uint16_t>(height), ~0u),
        nullptr);
    ImageFile::Picture picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const bool read = image && image->depth >= 24 && static_cast<std::size_t>(xcb_get_image_data_length(image)) == count * 4;
    if (read) {
        picture.pixels.resize(count);
        std::memcpy(picture.pixels.data(), xcb_get_image_data(image), count * 4);
    }
    free(image);
    if (!read || !ImageFile::writeFile(path, ImageFile::encodePng(picture))) {
        error = read ? "cannot write " + path : "cannot read the editor's window back";
        return false;
    }
    return true;
}

}  // namespace Render
