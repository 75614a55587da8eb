// tarn-lv2ttl FOLDER: writes the LV2 bundle's manifest.ttl and description from the product facts, the
// limiter's parameters and their display ranges, so the bundle never restates what the code decides.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "limiter/LimiterParams.h"
#include "limiter/ParamUnits.h"
#include "limiter/ProductFacts.h"
#include "lv2/Lv2Ports.h"

namespace {

std::string number(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

const char* const prefixes = "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
                             "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                             "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                             "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                             "@prefix midi:  <http://lv2plug.in/ns/ext/midi#> .\n"
                             "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
                             "@prefix pprop: <http://lv2plug.in/ns/ext/port-props#> .\n"
                             "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                             "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                             "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                             "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
                             "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                             "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

void audioPort(std::ostream& out, unsigned index, bool input, const char* symbol, const char* name)
{
    out << "    [\n        a lv2:" << (input ? "InputPort" : "OutputPort") << " , lv2:AudioPort ;\n"
        << "        lv2:index " << index << " ;\n        lv2:symbol \"" << symbol << "\" ;\n"
        << "        lv2:name \"" << name << "\" ;\n    ]";
}

// Units the LV2 vocabulary names; the dither's word length has none.
const char* unitOf(int index)
{
    switch (index) {
    case LimiterParams::threshold:
    case LimiterParams::meterScale:
        return "units:db";
    case LimiterParams::release:
        return "units:ms";
    case LimiterParams::makeup:
        return "units:pc";
    default:
        return nullptr;
    }
}

void controlPort(std::ostream& out, int param)
{
    const ParamUnits::DisplayRange range = ParamUnits::displayRange(param);
    const double shownDefault = ParamUnits::displayValue(param, LimiterParams::declarations[param].defaultValue);
    out << "    [\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << Lv2Ports::firstControl + param << " ;\n"
        << "        lv2:symbol \"" << Lv2Ports::controls[param].symbol << "\" ;\n"
        << "        lv2:name \"" << Lv2Ports::controls[param].name << "\" ;\n"
        << "        lv2:default " << number(shownDefault) << " ;\n"
        << "        lv2:minimum " << number(range.lowest) << " ;\n"
        << "        lv2:maximum " << number(range.highest) << " ;\n";
    if (const char* unit = unitOf(param))
        out << "        units:unit " << unit << " ;\n";
    if (param == LimiterParams::release)
        out << "        lv2:portProperty pprop:logarithmic ;\n";
    if (range.twoChoices) {
        const char* label = param == LimiterParams::meterScale ? " dB" : " bits";
        out << "        lv2:portProperty lv2:enumeration , lv2:integer ;\n"
            << "        lv2:scalePoint [ rdfs:label \"" << static_cast<int>(range.lowest) << label << "\" ; rdf:value "
            << number(range.lowest) << " ] ,\n"
            << "            [ rdfs:label \"" << static_cast<int>(range.highest) << label << "\" ; rdf:value "
            << number(range.highest) << " ] ;\n";
    }
    out << "    ]";
}

// The product's version "major.minor.micro.build" part by part, for LV2's minor and micro versions.
int versionPart(int index)
{
    int parts[4] = {0, 0, 0, 0};
    std::sscanf(ProductFacts::versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
    return parts[index];
}

std::string description()
{
    using namespace Lv2Ports;
    std::ostringstream out;
    out << prefixes << "<" << ProductFacts::lv2Uri << ">\n"
        << "    a lv2:Plugin , lv2:LimiterPlugin , doap:Project ;\n"
        << "    doap:name \"" << ProductFacts::name << "\" ;\n"
        << "    doap:maintainer [\n        foaf:name \"" << ProductFacts::maker << "\" ;\n"
        << "        foaf:homepage <" << ProductFacts::webAddress << "> ;\n    ] ;\n"
        << "    lv2:minorVersion " << versionPart(1) << " ;\n    lv2:microVersion " << versionPart(2) << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
        << "    lv2:extensionData state:interface ;\n"
        << "    ui:ui <" << ProductFacts::lv2UiUri << "> ;\n"
        << "    lv2:port\n";
    audioPort(out, inLeft, true, "in_l", "Input left");
    out << " ,\n";
    audioPort(out, inRight, true, "in_r", "Input right");
    out << " ,\n";
    audioPort(out, outLeft, false, "out_l", "Output left");
    out << " ,\n";
    audioPort(out, outRight, false, "out_r", "Output right");
    for (int p = 0; p < LimiterParams::count; ++p) {
        out << " ,\n";
        controlPort(out, p);
    }
    out << " ,\n    [\n        a lv2:OutputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << latency << " ;\n        lv2:symbol \"latency\" ;\n"
        << "        lv2:name \"Latency\" ;\n"
        << "        lv2:designation lv2:latency ;\n"
        << "        lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
        << "        units:unit units:frame ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum 1048576 ;\n    ] ,\n";
    out << "    [\n        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n        atom:supports midi:MidiEvent ;\n"
        << "        lv2:portProperty lv2:connectionOptional ;\n"
        << "        lv2:index " << midiIn << " ;\n        lv2:symbol \"midi_in\" ;\n"
        << "        lv2:name \"MIDI in\" ;\n    ]";
    for (unsigned m = 0; m < count - firstMeter; ++m) {
        out << " ,\n    [\n        a lv2:OutputPort , lv2:ControlPort ;\n"
            << "        lv2:index " << firstMeter + m << " ;\n"
            << "        lv2:symbol \"" << meterPorts[m].symbol << "\" ;\n"
            << "        lv2:name \"" << meterPorts[m].name << "\" ;\n"
            << "        lv2:minimum 0.0 ;\n        lv2:maximum 1.0 ;\n    ]";
    }
    out << " .\n\n";
    // The editor: a child of the host's window, driven by its idle calls; the meter ports' values are
    // sent to it as they change.
    out << "<" << ProductFacts::lv2UiUri << ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:parent , ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:touch , ui:resize , opts:options , urid:map ;\n"
        << "    opts:supportedOption ui:scaleFactor ;\n"
        << "    lv2:extensionData ui:idleInterface ;\n"
        << "    ui:portNotification";
    for (unsigned m = 0; m < count - firstMeter; ++m)
        out << (m ? " ,\n       " : "") << " [\n        ui:plugin <" << ProductFacts::lv2Uri << "> ;\n"
            << "        lv2:symbol \"" << meterPorts[m].symbol << "\" ;\n"
            << "        ui:protocol ui:floatProtocol ;\n    ]";
    out << " .\n";
    return out.str();
}

std::string manifest()
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
        << "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n\n"
        << "<" << ProductFacts::lv2Uri << ">\n    a lv2:Plugin ;\n"
        << "    lv2:binary <" << ProductFacts::lv2Binary << ".so> ;\n"
        << "    rdfs:seeAlso <" << ProductFacts::lv2Description << "> .\n\n"
        << "<" << ProductFacts::lv2UiUri << ">\n    a ui:X11UI ;\n"
        << "    ui:binary <" << ProductFacts::lv2UiBinary << ".so> ;\n"
        << "    rdfs:seeAlso <" << ProductFacts::lv2Description << "> .\n";
    return out.str();
}

bool write(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarn-lv2ttl FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    if (!write(folder + "manifest.ttl", manifest()) || !write(folder + ProductFacts::lv2Description, description())) {
        std::fprintf(stderr, "tarn-lv2ttl: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
