// What one control tells its editor. The Windows controls send these as messages to the editor window;
// a window system without child windows calls the editor's operations directly.
#pragma once

namespace PlugEdit {

class ControlGestures {
public:
    virtual ~ControlGestures() = default;
    virtual void beginEdit() = 0;
    virtual void setValue(float value) = 0;
    virtual void endEdit() = 0;
    virtual void startLearn() = 0;
    virtual void endLearn() = 0;
    virtual void unlearn() = 0;
    virtual void resetToDefault() = 0;
};

// The gestures of the control of `index`, carried out on the editor's operations at once.
class OpsGestures : public ControlGestures {
public:
    OpsGestures(class EditorOps& ops, int index) : ops(ops), index(index) {}
    void beginEdit() override;
    void setValue(float value) override;
    void endEdit() override;
    void startLearn() override;
    void endLearn() override;
    void unlearn() override;
    void resetToDefault() override;

private:
    EditorOps& ops;
    int index;
};

}  // namespace PlugEdit
