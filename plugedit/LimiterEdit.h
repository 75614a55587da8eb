// The limiter's editor: two switches and three knobs beside the level and gain-reduction meter.
#pragma once

#include "pixa/CoverageBuffer.h"
#include "plugedit/Edit.h"
#include "plugedit/LimiterLayout.h"

namespace PlugEdit {

class LimiterEdit : public Edit {
public:
    LimiterEdit(const EditorLayout& description, AudioEffect* effect);
    LimiterEdit(const EditorLayout& description, EditorOps& ops);
    ~LimiterEdit() override = default;

    void createControls(EditWin& window) override;
    bool updateMeters(void* block) override;
    void paintOverlay(EditWin& window, HDC bufferDC) override;

    // The finished meter picture, for tests and the renderer's window pictures.
    const Pixa::Canvas& meterPicture() const { return meterCanvas; }

private:
    Pixa::Canvas meterCanvas;
    Pixa::Canvas scratchCanvas;
    Pixa::CoverageBuffer meterCoverage;
};

}  // namespace PlugEdit
