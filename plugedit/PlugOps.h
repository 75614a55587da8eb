// The editor's operations on a VST 2.4 effect it belongs to: values, texts and MIDI learn straight
// from the effect, edits through it to its host (audioMasterAutomate and the edit brackets).
#pragma once

#include "plugcore/Plug.h"
#include "plugedit/EditorOps.h"

namespace PlugEdit {

class PlugOps final : public EditorOps {
public:
    explicit PlugOps(PlugCore::Plug& plug) : plug(plug) {}

    int parameterCount() override;
    float parameter(int index) override { return plug.getParameter(index); }
    void setParameter(int index, float value) override { plug.setParameterAutomated(index, value); }
    void beginEdit(int index) override { plug.beginEdit(index); }
    void endEdit(int index) override { plug.endEdit(index); }
    float defaultValue(int index) override;
    void displayText(int index, float value, char* text, char* unit) override;
    std::int32_t midiKey(int index) override;
    void startLearn(int index) override { plug.armLearn(index); }  // only for an index of the table
    void endLearn() override { plug.cancelLearn(); }
    void unlearn(int index) override;
    bool isLearning(int index) override { return plug.learningParam() == index; }
    const char* productName() override { return plug.getName(); }
    void saveDefaults() override { plug.saveDefaults(); }

private:
    PlugCore::Plug& plug;
};

}  // namespace PlugEdit
