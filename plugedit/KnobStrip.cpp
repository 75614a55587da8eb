#include "plugedit/KnobStrip.h"

#include <memory>

#include "host/ModuleHandle.h"

namespace PlugEdit {

namespace {

constexpr int stripColourBitmap = 901;
constexpr int stripMaskBitmap = 902;

// Deleted when the library unloads.
std::unique_ptr<Pixa::Canvas> knobStrip;

HBITMAP loadBitmap(HINSTANCE instance, int id)
{
    return static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

const Pixa::Canvas& knobStripCanvas()
{
    if (!knobStrip) {
        const auto instance = static_cast<HINSTANCE>(moduleInstance());
        HBITMAP color = loadBitmap(instance, stripColourBitmap);
        HBITMAP mask = loadBitmap(instance, stripMaskBitmap);
        try {
            knobStrip = Pixa::Canvas::fromBitmap(color, mask);
        } catch (...) {
            DeleteObject(color);
            DeleteObject(mask);
            throw;
        }
        DeleteObject(color);
        DeleteObject(mask);
    }
    return *knobStrip;
}

}  // namespace PlugEdit
