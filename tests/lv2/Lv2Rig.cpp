#include "tests/lv2/Lv2Rig.h"

#include <dlfcn.h>

#include <lv2/state/state.h>

#include <algorithm>

#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "tools/vsthost/PluginLibrary.h"

namespace TestSupport {

const LV2_Descriptor* tarnLv2Descriptor()
{
    static const LV2_Descriptor* descriptor = [] {
        const std::string path =
            VstHost::programFolder() + "../" + ProductFacts::lv2Bundle + "/" + ProductFacts::lv2Binary + ".so";
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return static_cast<const LV2_Descriptor*>(nullptr);
        auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
        return entry ? entry(0) : nullptr;
    }();
    return descriptor;
}

UridMap::UridMap() : lv2Map{this, mapThunk}, mapFeature{LV2_URID__map, &lv2Map} {}

LV2_URID UridMap::map(const char* uri)
{
    auto [at, added] = ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1));
    (void)added;
    return at->second;
}

LV2_URID UridMap::mapThunk(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridMap*>(handle)->map(uri);
}

Lv2Rig::Lv2Rig(double rate, const LV2_Feature* const* features) : plugin(tarnLv2Descriptor())
{
    for (int i = 0; i < LimiterParams::count; ++i)
        controls[i] = static_cast<float>(ParamUnits::displayValue(i, LimiterParams::declarations[i].defaultValue));
    static const LV2_Feature* const none[] = {nullptr};
    handle = plugin ? plugin->instantiate(plugin, rate, "/nowhere/", features ? features : none) : nullptr;
    if (!handle)
        return;
    for (int i = 0; i < LimiterParams::count; ++i)
        plugin->connect_port(handle, Lv2Ports::firstControl + i, &controls[i]);
    plugin->connect_port(handle, Lv2Ports::latency, &latency);
    for (unsigned m = 0; m < Lv2Ports::count - Lv2Ports::firstMeter; ++m)
        plugin->connect_port(handle, Lv2Ports::firstMeter + m, &meters[m]);
}

Lv2Rig::~Lv2Rig()
{
    if (handle) {
        plugin->deactivate ? plugin->deactivate(handle) : void();
        plugin->cleanup(handle);
    }
}

void Lv2Rig::activate() { plugin->activate(handle); }

void Lv2Rig::process(const std::vector<float>& inL, const std::vector<float>& inR, std::vector<float>& outL,
                     std::vector<float>& outR, int blockFrames, const LV2_Atom_Sequence* midi)
{
    outL.assign(inL.size(), 0.0f);
    outR.assign(inR.size(), 0.0f);
    plugin->connect_port(handle, Lv2Ports::midiIn, const_cast<LV2_Atom_Sequence*>(midi));
    for (std::size_t at = 0; at < inL.size(); at += blockFrames) {
        const auto n = static_cast<uint32_t>(std::min<std::size_t>(blockFrames, inL.size() - at));
        plugin->connect_port(handle, Lv2Ports::inLeft, const_cast<float*>(inL.data() + at));
        plugin->connect_port(handle, Lv2Ports::inRight, const_cast<float*>(inR.data() + at));
        plugin->connect_port(handle, Lv2Ports::outLeft, outL.data() + at);
        plugin->connect_port(handle, Lv2Ports::outRight, outR.data() + at);
        plugin->run(handle, n);
    }
}

const LV2_State_Interface* Lv2Rig::state() const
{
    return static_cast<const LV2_State_Interface*>(plugin->extension_data(LV2_STATE__interface));
}

}  // namespace TestSupport
