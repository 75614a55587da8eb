// Where the limiter's editor puts its controls, for every window system; what they say comes from the
// parameters' facts (LimiterParams).
#pragma once

namespace PlugEdit {

struct KnobPlacement {
    int index;
    int row, column;
    const char* label;
};

// Knobs are 80 by 80 at x = column * 80, y = row * 80 + 15.
extern const KnobPlacement knobLayout[3];

// Switches are 80 by 12 at (x, 5): off and on as shown after the colon, and as their menu offers them.
struct SwitchPlacement {
    int index;
    int x;
    const char* name;
    const char* const* states;
    const char* const* menuTexts;
};
extern const SwitchPlacement switchLayout[2];

}  // namespace PlugEdit
