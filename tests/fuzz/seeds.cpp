// Writes the fuzzer's seed corpus into a folder: banks and programs as a user saves them, each behind
// the byte that picks the way in (0 bank chunk, 1 program chunk, 3 defaults file).
#include <cstdio>
#include <memory>
#include <string>

#include "limiter/Limiter.h"
#include "plugcore/MidiKeys.h"

namespace {

VstIntPtr VSTCALLBACK seedHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

bool writeSeed(const std::string& folder, const char* name, unsigned char way, Limiter& limiter, bool preset)
{
    void* data = nullptr;
    const VstInt32 size = limiter.getChunk(&data, preset);
    std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fputc(way, f) != EOF && std::fwrite(data, 1, static_cast<std::size_t>(size), f) == static_cast<std::size_t>(size);
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::unique_ptr<Limiter> limiter(new Limiter(seedHost));
    bool ok = writeSeed(folder, "bank-default", 0, *limiter, false) &&
              writeSeed(folder, "program-default", 1, *limiter, true);

    // A worked-on state: programs renamed and changed, two controllers bound, program 5 current.
    for (VstInt32 p = 0; p < 8; ++p) {
        limiter->setProgram(p);
        char name[32];
        std::snprintf(name, sizeof name, "Master %d", p + 1);
        limiter->setProgramName(name);
        for (VstInt32 i = 0; i < 5; ++i)
            limiter->setParameter(i, static_cast<float>((p * 5 + i) % 11) / 10.0f);
    }
    limiter->setProgram(5);
    limiter->paramTable()[0].midiKey.store(PlugCore::signExtendKey(PlugCore::controllerKey(7)));
    limiter->paramTable()[2].midiKey.store(PlugCore::signExtendKey(PlugCore::controllerKey(74)));
    ok = ok && writeSeed(folder, "bank-worked", 0, *limiter, false) &&
         writeSeed(folder, "program-worked", 1, *limiter, true) &&
         writeSeed(folder, "defaults-worked", 3, *limiter, false);
    if (!ok)
        std::fprintf(stderr, "tarn_fuzz_seeds: cannot write into %s\n", folder.c_str());
    return ok ? 0 : 1;
}
