// The plug-in's editor opened in a window of our own during a render, fed the rendered audio's meter
// blocks, and photographed: at the end, and optionally every so many milliseconds of audio.
// Windows only (the Linux build has no editor yet).
#pragma once

#include <cstddef>
#include <string>

#include "tools/vsthost/HostedEffect.h"

namespace Render {

class EditorCapture {
public:
    // Opens the editor; false (with a reason) when the plug-in has none or the window cannot be made.
    bool open(VstHost::HostedEffect& host, std::string& error);
    ~EditorCapture();

    // Every `everyFrames` frames of audio (0: never), a numbered picture goes to `folder`.
    void photographEvery(std::size_t everyFrames, const std::string& folder);
    // Called after each rendered block: lets the window take the newest meter block and repaint.
    void afterBlock(std::size_t framesDone);
    // Lets the last meter block arrive, then writes the window as a PNG.
    bool photograph(const std::string& path, std::string& error);

private:
    void settle(int milliseconds);

    VstHost::HostedEffect* host = nullptr;
    void* frame = nullptr;  // our window, the editor's parent
    std::size_t every = 0, nextPicture = 0;
    int pictureNumber = 0;
    std::string folder;
    int width = 0, height = 0;
};

}  // namespace Render
