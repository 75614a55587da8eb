// What a pointer event tells the window's owner. Modifiers come from the event itself, since hosts
// often keep the keyboard focus away from a plug-in's window.
#pragma once

#include <cstdint>

namespace X11Wrap {

struct PointerEvent {
    enum Button : int { none = 0, left = 1, middle = 2, right = 3, wheelUp = 4, wheelDown = 5 };
    enum Held : unsigned { leftHeld = 1, middleHeld = 2, rightHeld = 4 };

    int x = 0, y = 0;          // in the window
    int button = none;         // the button pressed or released; none for motion and leaving
    unsigned buttonsHeld = 0;  // Held bits, as they were just before this event
    bool shift = false;
    bool control = false;
    std::uint32_t time = 0;  // server milliseconds, for telling double clicks
};

}  // namespace X11Wrap
