// libFuzzer target for everything that reads a stored state: the host's setChunk (bank and program)
// and a new instance starting from a defaults file. The first input byte picks the way in.
// After any input, every parameter must hold a value in 0..1 and the state must still be writable.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "limiter/Limiter.h"
#include "platform/Platform.h"

namespace {

VstIntPtr VSTCALLBACK fuzzHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

std::string defaultsPath;

void checkState(Limiter& limiter)
{
    PlugCore::ParamTable& table = limiter.paramTable();
    for (unsigned i = 0; i < table.size(); ++i) {
        const float v = limiter.getParameter(static_cast<VstInt32>(i));
        if (!(v >= 0.0f && v <= 1.0f)) {
            std::fprintf(stderr, "parameter %u holds %g after loading\n", i, static_cast<double>(v));
            std::abort();
        }
    }
    if (limiter.getProgram() < 0 || limiter.getProgram() >= 8)
        std::abort();
    char name[64] = {};
    limiter.getProgramName(name);
    if (std::char_traits<char>::length(name) > kVstMaxProgNameLen)
        std::abort();
    void* data = nullptr;
    if (limiter.getChunk(&data, false) <= 0 || !data)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The defaults file lives in a configuration folder of the fuzzer's own, never the user's.
    char folder[] = "/tmp/tarn-fuzz-XXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    setenv("XDG_CONFIG_HOME", folder, 1);
    Platform::createFolder(std::string(folder) + "/Quellbrook");
    defaultsPath = std::string(folder) + "/Quellbrook/Tarn.defaults";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Limiter* const shared = new Limiter(fuzzHost);
    if (size == 0)
        return 0;
    const std::uint8_t way = data[0] % 4;
    ++data;
    --size;
    // setChunk gets its own copy: a host's block is writable, but ours must not be changed by reading it.
    std::string copy(reinterpret_cast<const char*>(data), size);
    if (way < 3) {
        shared->setChunk(copy.data(), static_cast<VstInt32>(copy.size()), way == 1);
        checkState(*shared);
    } else {
        Platform::writeWholeFile(defaultsPath, data, size);
        std::unique_ptr<Limiter> fresh(new Limiter(fuzzHost));
        checkState(*fresh);
    }
    return 0;
}
