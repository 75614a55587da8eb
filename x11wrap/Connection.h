// One client connection to the X server, with what every request needs from the default screen. Each
// editor has its own: a host's Display is never shared, and XCB installs no process-wide error handler.
#pragma once

#include <xcb/xcb.h>

#include <cstddef>
#include <memory>

namespace X11Wrap {

class Connection {
public:
    // Connects to $DISPLAY; null (and nothing printed) when it is unset, names no server or the server
    // cannot be reached.
    static std::unique_ptr<Connection> open();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    xcb_connection_t* get() const { return connection; }
    const xcb_screen_t& screen() const { return *defaultScreen; }
    // The server closed on us, or we sent it something it could not parse: nothing more will get through.
    bool broken() const { return xcb_connection_has_error(connection) != 0; }
    // What one request may carry, without asking for BIG-REQUESTS (which costs a round trip).
    std::size_t maximumRequestBytes() const;
    // One round trip; false when the connection is broken.
    bool sync() const;

    // How the root visual holds 0x00RRGGBB in 32-bit pixels, if it does: pictures are sent in that form.
    bool takesRgbWords() const { return rgbWords; }
    bool serverIsBigEndian() const { return bigEndian; }

private:
    Connection(xcb_connection_t* connection, const xcb_screen_t* screen);

    xcb_connection_t* connection;
    const xcb_screen_t* defaultScreen;
    bool rgbWords = false;
    bool bigEndian = false;
};

}  // namespace X11Wrap
