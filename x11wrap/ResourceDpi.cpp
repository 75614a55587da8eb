#include "x11wrap/ResourceDpi.h"

#include <cstdint>
#include <cstdlib>

namespace X11Wrap {

namespace {

const std::string_view blanks = " \t";
const std::uint32_t longestResources = 1u << 20;  // in 32-bit units; desktops publish a few kilobytes

std::string_view trimFront(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(blanks);
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// Digits with an optional fraction, read by hand: strtod would follow the host's locale.
int roundedNumber(std::string_view text)
{
    double value = 0.0, scale = 1.0;
    bool digits = false, fraction = false;
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            digits = true;
            if (fraction)
                value += (scale /= 10.0) * (ch - '0');
            else if (value < 1e6)
                value = value * 10.0 + (ch - '0');
        } else if (ch == '.' && !fraction) {
            fraction = true;
        } else {
            break;
        }
    }
    return digits ? static_cast<int>(value + 0.5) : 0;
}

}  // namespace

int parseXftDpi(std::string_view resources)
{
    const std::string_view name = "Xft.dpi";
    int dpi = 0;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        std::string_view line = trimFront(resources.substr(0, end));
        resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
        if (line.substr(0, name.size()) != name)
            continue;
        line = trimFront(line.substr(name.size()));
        if (line.empty() || line.front() != ':')
            continue;
        dpi = roundedNumber(trimFront(line.substr(1)));  // the last entry wins, as in the resource database
    }
    return dpi;
}

int readXftDpi(const Connection& connection)
{
    xcb_connection_t* c = connection.get();
    const xcb_get_property_cookie_t cookie = xcb_get_property(c, 0, connection.screen().root, XCB_ATOM_RESOURCE_MANAGER,
                                                              XCB_ATOM_STRING, 0, longestResources);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return 0;
    int dpi = 0;
    if (reply->format == 8 && reply->type == XCB_ATOM_STRING)
        dpi = parseXftDpi({static_cast<const char*>(xcb_get_property_value(reply)),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply))});
    free(reply);
    return dpi;
}

}  // namespace X11Wrap
