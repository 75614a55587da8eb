// Real pointer and key input for tests: the XTEST extension makes the server move the pointer, press
// buttons, hold Shift or Control and strike keys, exactly as a user's devices would, on a connection of the
// test's own.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <string>

#include "x11wrap/Connection.h"

namespace TestSupport {

class XTestPointer {
public:
    // Connects to $DISPLAY; false (with a reason) without a server or the extension.
    bool connect(std::string& error);

    // Moves the pointer to (x, y) in the window's coordinates.
    void moveTo(std::uint32_t window, int x, int y);
    void press(int button);
    void release(int button);
    void holdShift(bool down) { key(shiftKey, down); }
    void holdControl(bool down) { key(controlKey, down); }
    // Presses and releases the key the keyboard map gives `keysym` (Escape is 0xFF1B); false when no key has it.
    bool strike(std::uint32_t keysym);
    // Returns once the server has carried out everything sent.
    void sync();

private:
    void key(std::uint8_t code, bool down);
    void fake(std::uint8_t type, std::uint8_t detail, std::int16_t x = 0, std::int16_t y = 0);

    std::unique_ptr<X11Wrap::Connection> connection;
    std::uint8_t shiftKey = 0, controlKey = 0;
};

}  // namespace TestSupport
