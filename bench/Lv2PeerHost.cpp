#include "bench/Lv2PeerHost.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace Lv2Peer {

namespace {

// URIDs handed out in order; looked up only while the plug-in is made (and by a plug-in that maps in
// run, which is its own business).
class UridTable {
public:
    LV2_URID map(const char* uri)
    {
        const auto found = ids.find(uri);
        if (found != ids.end())
            return found->second;
        uris.emplace_back(uri);
        return ids[uri] = static_cast<LV2_URID>(uris.size());
    }
    const char* unmap(LV2_URID id) const { return id >= 1 && id <= uris.size() ? uris[id - 1].c_str() : nullptr; }

private:
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris;
};

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridTable*>(handle)->map(uri); }
const char* unmapUri(LV2_URID_Unmap_Handle handle, LV2_URID id) { return static_cast<UridTable*>(handle)->unmap(id); }

constexpr std::size_t atomCapacity = 8192;  // above the 1024 bytes limiters' notification ports ask for

struct AtomBuffer {
    alignas(8) unsigned char bytes[atomCapacity];
};

}  // namespace

bool parseSetting(const std::string& text, Setting& setting)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        return false;
    const std::string number = text.substr(equals + 1);
    char* end = nullptr;
    const float value = std::strtof(number.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value))
        return false;
    setting = Setting{text.substr(0, equals), value};
    return true;
}

std::string describe(const std::vector<Setting>& settings)
{
    std::string text;
    for (const Setting& s : settings) {
        char value[32];
        std::snprintf(value, sizeof value, "%g", static_cast<double>(s.value));
        text += (text.empty() ? "" : " ") + s.symbol + "=" + value;
    }
    return text;
}

struct Host::State {
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    bool active = false;

    UridTable urids;
    LV2_URID_Map map{&urids, mapUri};
    LV2_URID_Unmap unmap{&urids, unmapUri};
    std::int32_t blockLength = 0;
    float rate = 0.0f;
    std::vector<LV2_Options_Option> options;
    LV2_Feature mapFeature{LV2_URID__map, &map};
    LV2_Feature unmapFeature{LV2_URID__unmap, &unmap};
    LV2_Feature boundedFeature{LV2_BUF_SIZE__boundedBlockLength, nullptr};
    LV2_Feature optionsFeature{LV2_OPTIONS__options, nullptr};

    std::vector<float> controls;  // one per port; used by control ports only
    std::map<std::string, std::uint32_t> controlInputs;
    std::vector<std::uint32_t> audioIn, audioOut;
    std::vector<std::uint32_t> atomIn, atomOut;
    std::vector<std::unique_ptr<AtomBuffer>> atomBuffers;  // inputs first, then outputs
    LV2_URID sequenceType = 0, chunkType = 0;

    ~State()
    {
        if (instance) {
            if (active)
                lilv_instance_deactivate(instance);
            lilv_instance_free(instance);
        }
        if (world)
            lilv_world_free(world);
    }

    // Input sequences empty, output sequences offering their whole capacity, as LV2 asks before each run.
    void prepareAtoms()
    {
        for (std::size_t k = 0; k < atomIn.size(); ++k) {
            auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(atomBuffers[k]->bytes);
            sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
            sequence->atom.type = sequenceType;
            sequence->body.unit = 0;
            sequence->body.pad = 0;
        }
        for (std::size_t k = 0; k < atomOut.size(); ++k) {
            auto* atom = reinterpret_cast<LV2_Atom*>(atomBuffers[atomIn.size() + k]->bytes);
            atom->size = atomCapacity - sizeof(LV2_Atom);
            atom->type = chunkType;
        }
    }
};

Host::Host(std::unique_ptr<State> s) : state(std::move(s)) {}

Host::~Host() = default;

std::unique_ptr<Host> Host::load(const std::string& uri, double sampleRate, std::uint32_t maxBlock,
                                 const std::vector<Setting>& settings, std::string& error)
{
    auto s = std::make_unique<State>();
    s->world = lilv_world_new();
    lilv_world_load_all(s->world);
    LilvNode* uriNode = lilv_new_uri(s->world, uri.c_str());
    s->plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(s->world), uriNode);
    lilv_node_free(uriNode);
    if (!s->plugin) {
        error = "no installed LV2 plug-in has the URI " + uri;
        return nullptr;
    }
    const LilvPlugin* plugin = s->plugin;

    LilvNodes* required = lilv_plugin_get_required_features(plugin);
    LILV_FOREACH(nodes, i, required)
    {
        const std::string feature = lilv_node_as_uri(lilv_nodes_get(required, i));
        if (feature != LV2_URID__map && feature != LV2_URID__unmap && feature != LV2_BUF_SIZE__boundedBlockLength &&
            feature != LV2_OPTIONS__options) {
            error = uri + " requires the feature " + feature + ", which this host lacks";
            lilv_nodes_free(required);
            return nullptr;
        }
    }
    lilv_nodes_free(required);

    const std::uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    s->controls.assign(ports, 0.0f);
    LilvNode* audioClass = lilv_new_uri(s->world, LV2_CORE__AudioPort);
    LilvNode* controlClass = lilv_new_uri(s->world, LV2_CORE__ControlPort);
    LilvNode* inputClass = lilv_new_uri(s->world, LV2_CORE__InputPort);
    LilvNode* atomClass = lilv_new_uri(s->world, LV2_ATOM__AtomPort);
    LilvNode* optional = lilv_new_uri(s->world, LV2_CORE__connectionOptional);
    for (std::uint32_t p = 0; p < ports && error.empty(); ++p) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
        const bool input = lilv_port_is_a(plugin, port, inputClass);
        const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
        if (lilv_port_is_a(plugin, port, audioClass))
            (input ? s->audioIn : s->audioOut).push_back(p);
        else if (lilv_port_is_a(plugin, port, controlClass)) {
            s->controls[p] = std::isnan(defaults[p]) ? 0.0f : defaults[p];
            if (input)
                s->controlInputs[symbol] = p;
        } else if (lilv_port_is_a(plugin, port, atomClass))
            (input ? s->atomIn : s->atomOut).push_back(p);
        else if (!lilv_port_has_property(plugin, port, optional))
            error = uri + ": the port " + symbol + " is of a kind this host cannot feed";
    }
    lilv_node_free(audioClass);
    lilv_node_free(controlClass);
    lilv_node_free(inputClass);
    lilv_node_free(atomClass);
    lilv_node_free(optional);
    if (!error.empty())
        return nullptr;

    std::unique_ptr<Host> host(new Host(std::move(s)));
    for (const Setting& setting : settings)
        if (!host->setControl(setting.symbol, setting.value)) {
            error = uri + " has no control input " + setting.symbol;
            return nullptr;
        }

    State& st = *host->state;
    st.sequenceType = st.urids.map(LV2_ATOM__Sequence);
    st.chunkType = st.urids.map(LV2_ATOM__Chunk);
    st.blockLength = static_cast<std::int32_t>(maxBlock);
    st.rate = static_cast<float>(sampleRate);
    const LV2_URID intType = st.urids.map(LV2_ATOM__Int), floatType = st.urids.map(LV2_ATOM__Float);
    for (const char* key :
         {LV2_BUF_SIZE__minBlockLength, LV2_BUF_SIZE__maxBlockLength, LV2_BUF_SIZE__nominalBlockLength})
        st.options.push_back(
            {LV2_OPTIONS_INSTANCE, 0, st.urids.map(key), sizeof(std::int32_t), intType, &st.blockLength});
    st.options.push_back(
        {LV2_OPTIONS_INSTANCE, 0, st.urids.map(LV2_PARAMETERS__sampleRate), sizeof(float), floatType, &st.rate});
    st.options.push_back({LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr});
    st.optionsFeature.data = st.options.data();
    const LV2_Feature* features[] = {&st.mapFeature, &st.unmapFeature, &st.boundedFeature, &st.optionsFeature, nullptr};

    st.instance = lilv_plugin_instantiate(st.plugin, sampleRate, features);
    if (!st.instance) {
        error = uri + " could not be instantiated";
        return nullptr;
    }
    for (std::uint32_t p = 0; p < ports; ++p)
        lilv_instance_connect_port(st.instance, p, &st.controls[p]);  // audio ports are connected later
    for (std::size_t k = 0; k < st.atomIn.size() + st.atomOut.size(); ++k) {
        st.atomBuffers.push_back(std::make_unique<AtomBuffer>());
        const std::uint32_t p = k < st.atomIn.size() ? st.atomIn[k] : st.atomOut[k - st.atomIn.size()];
        lilv_instance_connect_port(st.instance, p, st.atomBuffers.back()->bytes);
    }
    lilv_instance_activate(st.instance);
    st.active = true;
    return host;
}

int Host::audioInputs() const { return static_cast<int>(state->audioIn.size()); }
int Host::audioOutputs() const { return static_cast<int>(state->audioOut.size()); }

bool Host::setControl(const std::string& symbol, float value)
{
    const auto found = state->controlInputs.find(symbol);
    if (found == state->controlInputs.end())
        return false;
    state->controls[found->second] = value;
    return true;
}

bool Host::control(const std::string& symbol, float& value) const
{
    const auto found = state->controlInputs.find(symbol);
    if (found == state->controlInputs.end())
        return false;
    value = state->controls[found->second];
    return true;
}

void Host::connectAudio(const float* const* inputs, float* const* outputs)
{
    for (std::size_t k = 0; k < state->audioIn.size(); ++k)
        lilv_instance_connect_port(state->instance, state->audioIn[k], const_cast<float*>(inputs[k]));
    for (std::size_t k = 0; k < state->audioOut.size(); ++k)
        lilv_instance_connect_port(state->instance, state->audioOut[k], outputs[k]);
}

void Host::run(std::uint32_t frames)
{
    state->prepareAtoms();
    lilv_instance_run(state->instance, frames);
}

}  // namespace Lv2Peer
