#include "tools/render/EditorCapture.h"

#include <windows.h>

#include <vector>

#include "tools/imagefile/ImageFile.h"
#include "tools/vsthost/HostWindow.h"

namespace Render {

struct EditorCapture::Frame {
    HWND window;
};

EditorCapture::EditorCapture() = default;

bool EditorCapture::open(PluginHost::HostedPlugin& hosted, std::string& error, float scale)
{
    if (!askEditorSize(hosted, scale, error))
        return false;
    HWND window = VstHost::createHostWindow(width, height);
    if (!window) {
        error = "cannot create a window for the editor";
        return false;
    }
    host = &hosted;
    frame.reset(new Frame{window});
    hosted.openEditor(window);
    settle(30);
    return true;
}

EditorCapture::~EditorCapture()
{
    if (!host)
        return;
    host->closeEditor();
    DestroyWindow(frame->window);
    VstHost::pumpWindowMessages();
}

void EditorCapture::settle(int milliseconds)
{
    const DWORD until = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        VstHost::pumpWindowMessages();
        Sleep(1);
    } while (static_cast<int>(until - GetTickCount()) > 0);
    RedrawWindow(frame->window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    VstHost::pumpWindowMessages();
}

void EditorCapture::pump() { VstHost::pumpWindowMessages(); }

bool EditorCapture::photograph(const std::string& path, std::string& error)
{
    settle(40);  // the window's timer takes the newest meter block and repaints
    HWND window = frame->window;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    ImageFile::Picture picture;
    picture.width = static_cast<std::uint32_t>(width);
    picture.height = static_cast<std::uint32_t>(height);
    const auto* words = static_cast<const std::uint32_t*>(bits);
    if (words)
        picture.pixels.assign(words, words + static_cast<std::size_t>(width) * height);
    SelectObject(memory, previous);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    if (!words || !ImageFile::writeFile(path, ImageFile::encodePng(picture))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace Render
