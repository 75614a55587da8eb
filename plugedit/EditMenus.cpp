#include "plugedit/EditMenus.h"

#include <cstdio>

#include "limiter/ProductFacts.h"
#include "plugedit/EditMessages.h"

namespace PlugEdit {

const char* const saveDefaultsQuestion =
    "Saving new defaults for:\n - parameter values (current values) and presets\n - MIDI mappings (current mappings)\n";

std::vector<MenuItem> knobMenu(EditorOps& ops, int index)
{
    const bool known = index >= 0 && index < ops.parameterCount();
    char shown[64] = {}, unit[64] = {}, item[160];
    ops.displayText(index, known ? ops.defaultValue(index) : 0.0f, shown, unit);
    std::vector<MenuItem> menu;
    std::snprintf(item, sizeof item, "&Reset to default (%s %s)", shown, unit);
    menu.push_back({commandReset, item});
    menu.push_back({});
    const bool reaches = ops.reachesPlugin();
    menu.push_back({commandLearn, "MIDI &Learn...", reaches});
    const std::int32_t key = known ? ops.midiKey(index) : -1;
    if (key != -1 && reaches) {
        std::snprintf(item, sizeof item, "MIDI &Unlearn (chan:%d, cc:%d)", ((key >> 8) & 0xF) + 1, key & 0xFF);
        menu.push_back({commandUnlearn, item});
    } else {
        menu.push_back({commandUnlearn, "MIDI &Unlearn", false});
    }
    return menu;
}

void chooseKnobItem(unsigned command, ControlGestures& gestures)
{
    if (command == commandLearn) {
        gestures.startLearn();
    } else if (command == commandUnlearn) {
        gestures.unlearn();
    } else if (command == commandReset) {
        gestures.beginEdit();
        gestures.resetToDefault();
        gestures.endEdit();
    }
}

std::vector<MenuItem> switchMenu(const char* const texts[2], bool isOn)
{
    return {{0, texts[0], true, !isOn}, {1, texts[1], true, isOn}};
}

namespace {
void sendSwitch(float v, ControlGestures& gestures)
{
    gestures.beginEdit();
    gestures.setValue(v);
    gestures.endEdit();
}
}  // namespace

void clickSwitch(bool isOn, ControlGestures& gestures) { sendSwitch(isOn ? 0.0f : 1.0f, gestures); }

void chooseSwitchItem(unsigned command, ControlGestures& gestures) { sendSwitch(command != 0 ? 1.0f : 0.0f, gestures); }

bool inMenuCorner(int x, int y, int width, int height) { return x > width - 90 && y > height - 30; }

std::vector<MenuItem> cornerMenu(bool canSaveDefaults)
{
    return {{commandSaveDefaults, "&Save defaults...", canSaveDefaults},
            {commandWebSite, std::string("Visit ") + ProductFacts::webAddressShown}};
}

}  // namespace PlugEdit
