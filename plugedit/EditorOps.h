// What an editor may ask of the plug-in it edits, whatever the window system and whatever the plug-in
// format: values and their texts, the host's edit brackets, MIDI learn, the defaults file. The window
// layers and the menus speak only to this.
#pragma once

#include <cstdint>

namespace PlugEdit {

class EditorOps {
public:
    virtual ~EditorOps() = default;

    virtual int parameterCount() = 0;
    virtual float parameter(int index) = 0;
    // Set as the user did it: the host records it as automation.
    virtual void setParameter(int index, float value) = 0;
    virtual void beginEdit(int index) = 0;
    virtual void endEdit(int index) = 0;
    virtual float defaultValue(int index) = 0;
    // The value's text and its unit (each at most 63 characters).
    virtual void displayText(int index, float value, char* text, char* unit) = 0;
    // The controller bound to the parameter ((channel << 8) | controller), or -1.
    virtual std::int32_t midiKey(int index) = 0;

    virtual void startLearn(int index) = 0;
    virtual void endLearn() = 0;  // nothing when no learn runs
    virtual void unlearn(int index) = 0;
    // A learn for this parameter is running.
    virtual bool isLearning(int index) = 0;

    virtual const char* productName() = 0;
    virtual void saveDefaults() = 0;
    // False where learn, unlearn and the defaults file cannot reach the plug-in (an editor that speaks
    // to it only through ports): their menu items are shown disabled.
    virtual bool reachesPlugin() { return true; }
};

}  // namespace PlugEdit
