// A headless X server of the test's own: Xvfb on a display number it picks itself (-displayfd), so runs
// side by side never collide. Stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace TestSupport {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts Xvfb with one 24-bit screen; false (with a reason) when it is missing or does not come up
    // within a few seconds.
    bool start(std::string& error, int screenWidth = 1024, int screenHeight = 768);
    void stop();
    // ":N", for DISPLAY.
    const std::string& display() const { return name; }

private:
    pid_t pid = -1;
    std::string name;
};

// One server for the whole test program, started at first use and stopped at exit; $DISPLAY names it
// from then on. Null when it cannot be started (the reason in `error`).
XvfbServer* sharedXvfb(std::string& error);

}  // namespace TestSupport
