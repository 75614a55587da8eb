// The editor's menus as lists of items (texts with their '&' mnemonics, check marks, enabled states)
// and what choosing an item does. The window layers only show a list and report the command chosen.
#pragma once

#include <string>
#include <vector>

#include "plugedit/ControlGestures.h"
#include "plugedit/EditorOps.h"

namespace PlugEdit {

struct MenuItem {
    unsigned command = 0;
    std::string text;  // empty for a separator
    bool enabled = true;
    bool checked = false;
    bool separator() const { return text.empty(); }
};

// A knob's right-click menu: reset (with the default's text), learn, unlearn (disabled when unbound);
// learn and unlearn disabled where the editor cannot reach the plug-in.
std::vector<MenuItem> knobMenu(EditorOps& ops, int index);
void chooseKnobItem(unsigned command, ControlGestures& gestures);

// A switch's menu: both states, the current one checked; commands 0 (off) and 1 (on).
std::vector<MenuItem> switchMenu(const char* const texts[2], bool isOn);
// A left click flips the switch; a menu item sets it. The state shown changes when the value comes back.
void clickSwitch(bool isOn, ControlGestures& gestures);
void chooseSwitchItem(unsigned command, ControlGestures& gestures);

// The corner of the editor that opens its own menu, and that menu: save defaults (disabled when the
// editor cannot reach the plug-in), visit the web site.
bool inMenuCorner(int x, int y, int width, int height);
std::vector<MenuItem> cornerMenu(bool canSaveDefaults = true);
extern const char* const saveDefaultsQuestion;

}  // namespace PlugEdit
