// A small LV2 host for timing other plug-ins beside ours: finds a plug-in by its URI among the installed
// bundles (lilv), gives it the features a plain effect asks for (URID map and unmap, bounded block
// length and the block and rate options), sets its control inputs by symbol (the rest keep their
// defaults), gives every atom port an empty sequence and runs it on stereo float blocks. A setting is
// how one plug-in is timed in another mode, for example a limiter's true-peak switch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Lv2Peer {

// A control input's value by the port's symbol, as `symbol=value` on a command line.
struct Setting {
    std::string symbol;
    float value;
};

// "threshold=-6" into a Setting; false when it is not of that form.
bool parseSetting(const std::string& text, Setting& setting);

// "threshold=-6 truepeak=1": the settings as a name can show them.
std::string describe(const std::vector<Setting>& settings);

class Host {
public:
    // Null with `error` saying why: no such plug-in, a required feature we lack, a port we cannot feed,
    // an unknown symbol, or an instance that could not be made.
    static std::unique_ptr<Host> load(const std::string& uri, double sampleRate, std::uint32_t maxBlock,
                                      const std::vector<Setting>& settings, std::string& error);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    int audioInputs() const;
    int audioOutputs() const;
    // The control input's current value and whether there is one of that symbol; set takes effect at the
    // next run, as a host's automation does.
    bool setControl(const std::string& symbol, float value);
    bool control(const std::string& symbol, float& value) const;

    // Audio in, audio out (as many as the plug-in has of each); then `frames` (at most maxBlock) at once.
    void connectAudio(const float* const* inputs, float* const* outputs);
    void run(std::uint32_t frames);

private:
    struct State;
    explicit Host(std::unique_ptr<State> state);
    std::unique_ptr<State> state;
};

}  // namespace Lv2Peer
