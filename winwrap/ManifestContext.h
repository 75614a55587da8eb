// Runs a scope with the activation context of the library's own manifest (Common Controls 6, asInvoker)
// active, as isolation-aware code does, so the host's manifest does not decide our controls' look.
#pragma once

#include <windows.h>

namespace WinWrap {

class ManifestContext {
public:
    ManifestContext();
    ~ManifestContext();
    ManifestContext(const ManifestContext&) = delete;
    ManifestContext& operator=(const ManifestContext&) = delete;

private:
    ULONG_PTR cookie = 0;
    bool active = false;
};

}  // namespace WinWrap
