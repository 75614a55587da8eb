// The plug-in's editor opened in a window of our own during a render, fed the rendered audio's meter
// blocks, and photographed: at the end, and optionally every so many milliseconds of audio.
// The window is a Win32 one on Windows and an X11 one (on $DISPLAY) on Linux.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "tools/pluginhost/HostedPlugin.h"

namespace Render {

class EditorCapture {
public:
    // Opens the editor; false (with a reason) when the plug-in has none or the window cannot be made.
    // A scale above 0 is first asked of the plug-in as hosts ask for a larger editor.
    bool open(PluginHost::HostedPlugin& host, std::string& error, float scale = 0.0f);
    EditorCapture();
    ~EditorCapture();
    EditorCapture(const EditorCapture&) = delete;
    EditorCapture& operator=(const EditorCapture&) = delete;

    // Every `everyFrames` frames of audio (0: never), a numbered picture goes to `folder`.
    void photographEvery(std::size_t everyFrames, const std::string& folder);
    // Called after each rendered block: lets the window take the newest meter block and repaint.
    void afterBlock(std::size_t framesDone);
    // Lets the last meter block arrive, then writes the window as a PNG.
    bool photograph(const std::string& path, std::string& error);

private:
    // Asks the plug-in for its editor's size; false (with a reason) when it has no editor.
    bool askEditorSize(PluginHost::HostedPlugin& hosted, float scale, std::string& error);
    // Lets the editor run for a while, then makes sure it has drawn.
    void settle(int milliseconds);
    // What the host does between audio blocks: window messages on Windows; on X11 the window's events,
    // then the plug-in's turn (an idle call, its timers and event handlers).
    void pump();

    struct Frame;  // our window, the editor's parent
    PluginHost::HostedPlugin* host = nullptr;
    std::unique_ptr<Frame> frame;
    std::size_t every = 0, nextPicture = 0;
    int pictureNumber = 0;
    std::string folder;
    int width = 0, height = 0;
};

}  // namespace Render
