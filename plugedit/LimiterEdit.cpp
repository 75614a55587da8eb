#include "plugedit/LimiterEdit.h"

#include <memory>

#include "limiter/LimiterParams.h"
#include "limiter/MeterBlock.h"
#include "plugedit/EditMessages.h"
#include "plugedit/EditWin.h"
#include "plugedit/Knob.h"
#include "plugedit/MeterPicture.h"
#include "plugedit/OnOff.h"

namespace PlugEdit {

namespace {

// Enters a new control in the table under its parameter index and shows it the current value. A
// control whose window could not be made is freed here: no window will delete it.
void adopt(EditWin& window, std::unique_ptr<WinWrap::WinControl> control, int index, float value)
{
    HWND handle = control->hwnd;
    window.setControlWindow(index, handle);
    if (!handle)
        return;
    control.release();  // owned by its window from now on
    SetWindowLongA(handle, GWL_ID, index);
    PostMessageA(handle, MSG_PARAM_VALUE, bitsOf(value), 0);
}

}  // namespace

LimiterEdit::LimiterEdit(const EditorLayout& description, AudioEffect* effect)
    : Edit(description, effect),
      meterCanvas(static_cast<std::uint32_t>(description.width), static_cast<std::uint32_t>(description.height)),
      scratchCanvas(static_cast<std::uint32_t>(description.width), static_cast<std::uint32_t>(description.height))
{
    meterCoverage.create(description.width, description.height);
}

LimiterEdit::LimiterEdit(const EditorLayout& description, EditorOps& ops)
    : Edit(description, ops),
      meterCanvas(static_cast<std::uint32_t>(description.width), static_cast<std::uint32_t>(description.height)),
      scratchCanvas(static_cast<std::uint32_t>(description.width), static_cast<std::uint32_t>(description.height))
{
    meterCoverage.create(description.width, description.height);
}

void LimiterEdit::createControls(EditWin& window)
{
    HWND parent = window.hwnd;
    for (const SwitchPlacement& s : switchLayout)
        adopt(window, std::make_unique<OnOff>(s.x, parent, s.name, s.states, s.menuTexts), s.index, parameter(s.index));
    for (const KnobPlacement& k : knobLayout)
        adopt(window, std::make_unique<Knob>(k.column * 80, k.row * 80 + 15, parent, k.label), k.index,
              parameter(k.index));
}

bool LimiterEdit::updateMeters(void* block)
{
    drawMeterPicture(*static_cast<MeterBlock*>(block), meterCanvas, scratchCanvas, meterCoverage);
    return true;
}

void LimiterEdit::paintOverlay(EditWin&, HDC bufferDC) { meterCanvas.blit(bufferDC); }

}  // namespace PlugEdit
