// The editor's operations in an LV2 user interface, which reaches the plug-in only through its ports:
// a value set is written to the control port in display units (the host may record it as
// automation), a port value the host reports is what the editor shows. Texts, defaults and the layout
// come from the parameters' facts; the values are the ones last reported or written.
#pragma once

#include <lv2/ui/ui.h>

#include "limiter/EditorLayout.h"
#include "limiter/LimiterParams.h"
#include "plugedit/EditorOps.h"

namespace Lv2Ui {

class PortOps : public PlugEdit::EditorOps {
public:
    // `touch` may be null (the host offers no bracket).
    PortOps(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2UI_Touch* touch);

    // A control port's value (display units) as the host reports it.
    void portChanged(int index, float shown);
    bool wideScale() { return parameter(LimiterParams::meterScale) > 0.5f; }
    const EditorLayout& layout() const;

    int parameterCount() override { return LimiterParams::count; }
    float parameter(int index) override;
    void setParameter(int index, float value) override;
    void beginEdit(int index) override { grab(index, true); }
    void endEdit(int index) override { grab(index, false); }
    float defaultValue(int index) override;
    void displayText(int index, float value, char* text, char* unit) override;
    std::int32_t midiKey(int) override { return -1; }

    // The controller bindings and the defaults file live in the plug-in, out of the ports' reach.
    void startLearn(int) override {}
    void endLearn() override {}
    void unlearn(int) override {}
    bool isLearning(int) override { return false; }
    const char* productName() override;
    void saveDefaults() override {}
    bool reachesPlugin() override { return false; }

private:
    bool known(int index) const { return index >= 0 && index < LimiterParams::count; }
    void grab(int index, bool grabbed);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    float values[LimiterParams::count];  // normalized
};

}  // namespace Lv2Ui
