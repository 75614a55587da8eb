#include "tools/render/EditorCapture.h"

#include <cstdio>

namespace Render {

bool EditorCapture::askEditorSize(VstHost::HostedEffect& hosted, float scale, std::string& error)
{
    if (scale > 0.0f)
        hosted.dispatch(effVendorSpecific, kVendorEditorScale, kVendorEditorScaleValue, nullptr, scale);
    ERect* rect = nullptr;
    if (!(hosted.effect()->flags & effFlagsHasEditor) || !hosted.dispatch(effEditGetRect, 0, 0, &rect) || !rect) {
        error = "the plug-in has no editor in this build";
        return false;
    }
    width = rect->right - rect->left;
    height = rect->bottom - rect->top;
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
