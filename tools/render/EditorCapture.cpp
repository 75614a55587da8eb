#include "tools/render/EditorCapture.h"

#include <cstdio>

namespace Render {

bool EditorCapture::askEditorSize(PluginHost::HostedPlugin& hosted, float scale, std::string& error)
{
    if (!hosted.editorSize(scale, width, height)) {
        error = "the plug-in has no editor in this build";
        return false;
    }
    return true;
}

void EditorCapture::photographEvery(std::size_t everyFrames, const std::string& pictureFolder)
{
    every = everyFrames;
    nextPicture = everyFrames;
    folder = pictureFolder;
}

void EditorCapture::afterBlock(std::size_t framesDone)
{
    if (!host)
        return;
    pump();
    if (every == 0 || framesDone < nextPicture)
        return;
    nextPicture += every;
    char name[64];
    std::snprintf(name, sizeof name, "/editor-%05d.png", pictureNumber++);
    std::string ignored;
    photograph(folder + name, ignored);
}

}  // namespace Render
