// The editor's private window messages: controls send gestures to the editor window, the editor
// posts values and learn endings to controls. Values travel as the 32 bits of a float.
#pragma once

#include <cstdint>

#include "plugcore/FloatBits.h"

namespace PlugEdit {

enum EditMessage : unsigned {
    MSG_SET_PARAM = 0x8000,    // control -> editor window: wParam index, lParam value bits
    MSG_PARAM_VALUE = 0x8001,  // editor -> control (posted): wParam value bits
    MSG_BEGIN_EDIT = 0x8002,   // control -> editor window: wParam index
    MSG_END_EDIT = 0x8003,     // control -> editor window: wParam index
    MSG_LEARN_START = 0x8004,  // control -> editor window: wParam index; editor window -> control: no arguments
    MSG_UNLEARN = 0x8005,      // control -> editor window: wParam index
    MSG_LEARN_END = 0x8006,    // both ways: abandon, or "you are no longer learned"
    MSG_RESET_PARAM = 0x8007,  // control -> editor window: wParam index
};

// Every context-menu command (the wParam of WM_COMMAND). A popup menu sends its command only to the
// window that opened it, and as WM_COMMAND, never as a message of its own: so a knob's 0x8007 and the
// editor window's cannot meet, and neither can be taken for MSG_RESET_PARAM.
enum MenuCommand : unsigned {
    commandWebSite = 0,            // editor window: "Visit ..."
    commandSaveDefaults = 0x8007,  // editor window: "&Save defaults..."
    commandLearn = 0x8004,         // knob: "MIDI &Learn..."
    commandUnlearn = 0x8005,       // knob: "MIDI &Unlearn"
    commandReset = 0x8007,         // knob: "&Reset to default"
};

using PlugCore::bitsOf;
using PlugCore::floatOf;

}  // namespace PlugEdit
