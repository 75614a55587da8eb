#include "winwrap/ManifestContext.h"

#include "host/ModuleHandle.h"

namespace WinWrap {

namespace {

constexpr WORD manifestResource = 2;  // ISOLATIONAWARE_MANIFEST_RESOURCE_ID

// Made once per process from this module's manifest; INVALID_HANDLE_VALUE when there is none.
HANDLE moduleContext()
{
    static const HANDLE context = [] {
        const auto module = static_cast<HMODULE>(moduleInstance());
        char path[MAX_PATH] = {};
        if (!module || !GetModuleFileNameA(module, path, MAX_PATH))
            return INVALID_HANDLE_VALUE;
        ACTCTXA request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path;
        request.hModule = module;
        request.lpResourceName = MAKEINTRESOURCEA(manifestResource);
        return CreateActCtxA(&request);
    }();
    return context;
}

}  // namespace

ManifestContext::ManifestContext()
{
    const HANDLE context = moduleContext();
    if (context != INVALID_HANDLE_VALUE)
        active = ActivateActCtx(context, &cookie) != FALSE;
}

ManifestContext::~ManifestContext()
{
    if (active)
        DeactivateActCtx(0, cookie);
}

}  // namespace WinWrap
