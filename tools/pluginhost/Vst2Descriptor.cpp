// What a VST 2.4 plug-in says of itself through its descriptor and dispatcher.
#include "tools/pluginhost/Vst2Plugin.h"

#include <iomanip>
#include <string>

namespace PluginHost {

namespace {

std::string fourCC(VstInt32 code)
{
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

void printPins(VstHost::HostedEffect& host, std::ostream& out, VstInt32 opcode, VstInt32 count, const char* kind)
{
    for (VstInt32 i = 0; i < count; ++i) {
        VstPinProperties pin{};
        if (host.dispatch(opcode, i, 0, &pin))
            out << "  " << kind << " " << i << ": " << pin.label << " (flags " << pin.flags << ")\n";
        else
            out << "  " << kind << " " << i << ": (no properties)\n";
    }
}

}  // namespace

void Vst2Plugin::describe(std::ostream& out)
{
    VstHost::HostedEffect& host = *host_;
    const AEffect& e = *host.effect();
    out << "effect:      " << host.effectText(effGetEffectName) << "\n"
        << "vendor:      " << host.effectText(effGetVendorString) << "\n"
        << "product:     " << host.effectText(effGetProductString) << "\n"
        << "unique ID:   '" << fourCC(e.uniqueID) << "' (0x" << std::hex << std::setw(8) << std::setfill('0')
        << e.uniqueID << std::dec << std::setfill(' ') << ")\n"
        << "version:     " << e.version << "\n"
        << "VST version: " << host.dispatch(effGetVstVersion) << "\n"
        << "programs:    " << e.numPrograms << "\n"
        << "parameters:  " << e.numParams << "\n"
        << "inputs:      " << e.numInputs << "\n"
        << "outputs:     " << e.numOutputs << "\n"
        << "flags:       0x" << std::hex << e.flags << std::dec << "\n"
        << "MIDI input:  " << (host.dispatch(effCanDo, 0, 0, const_cast<char*>("receiveVstMidiEvent")) == 1 ? "yes" : "no")
        << "\n";
    printPins(host, out, effGetInputProperties, e.numInputs, "input");
    printPins(host, out, effGetOutputProperties, e.numOutputs, "output");
    for (VstInt32 i = 0; i < e.numParams; ++i)
        out << "  parameter " << i << ": " << std::left << std::setw(8) << host.parameterText(effGetParamName, i)
            << std::right << " = " << std::setw(8) << host.parameterText(effGetParamDisplay, i) << " "
            << host.parameterText(effGetParamLabel, i) << "\n";
    out << "program:     " << host.dispatch(effGetProgram) << " \"" << host.effectText(effGetProgramName) << "\"\n"
        << "latency:     " << e.initialDelay << " samples after resume at 44100 Hz\n";
}

}  // namespace PluginHost
