#include "plugcore/Plug.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "plugcore/Text.h"

namespace PlugCore {

namespace {
constexpr std::align_val_t effectAlignment{16};
}  // namespace

void* Plug::operator new(std::size_t size) { return ::operator new(size, effectAlignment); }

void Plug::operator delete(void* memory) noexcept { ::operator delete(memory, effectAlignment); }

Plug::Plug(audioMasterCallback audioMaster, VstInt32 numParams)
    : AudioEffectX(audioMaster, programCount, numParams), params(static_cast<unsigned>(numParams))
{
    cEffect.flags |= effFlagsCanReplacing | effFlagsProgramChunks | effFlagsCanDoubleReplacing;
    cEffect.numInputs = 2 * inputPairs;
    cEffect.numOutputs = 2 * outputPairs;

    programs.reset(new Program[programCount]);
    for (VstInt32 p = 0; p < programCount; ++p) {
        programs[p].values.reset(new float[params.size()]);
        std::snprintf(programs[p].name, sizeof programs[p].name, "Init %d", static_cast<int>(p + 1));
        storeProgram(p);
    }

    inputBuffers.reset(new double*[2 * inputPairs]());
    inputCursor.reset(new double*[2 * inputPairs]());
    outputBuffers.reset(new double*[2 * outputPairs]());
    outputCursor.reset(new double*[2 * outputPairs]());
    singleInputCursor.reset(new float*[2 * inputPairs]());
    singleOutputCursor.reset(new float*[2 * outputPairs]());
}

// An editor still open (a host that closes the effect first) is closed while the plug-in is whole:
// its windows call back into the plug-in as they go.
Plug::~Plug()
{
    if (editor && editor->isOpen())
        editor->close();
}

void Plug::setSampleRate(float rate)
{
    sampleRate = rate;
    needsSetup = true;
}

void Plug::setBlockSize(VstInt32 size)
{
    blockSize = size;
    allocateBuffers(size);
}

bool Plug::setBlockSizeAndSampleRate(VstInt32 size, float rate)
{
    setBlockSize(size);
    setSampleRate(rate);
    return true;
}

void Plug::resume()
{
    if (needsSetup) {
        setup();
        needsSetup = false;
    }
    reset();
    setInitialDelay(getLatency());
}

// A failed allocation leaves no block: the single-precision paths then stay silent.
void Plug::allocateBuffers(VstInt32 size)
{
    conversionBlock.reset();
    const std::size_t channels = 2 * static_cast<std::size_t>(inputPairs + outputPairs);
    const unsigned long long bytes = static_cast<unsigned long long>(size < 0 ? 0 : size) * channels * sizeof(double);
    if (size < 0 || bytes > 0xFFFFFFFFull)
        return;
    conversionBlock.reset(new (std::nothrow) double[static_cast<std::size_t>(size) * channels]);
    if (!conversionBlock)
        return;
    for (VstInt32 c = 0; c < 2 * inputPairs; ++c)
        inputBuffers[c] = conversionBlock.get() + static_cast<std::size_t>(c) * size;
    for (VstInt32 c = 0; c < 2 * outputPairs; ++c)
        outputBuffers[c] = conversionBlock.get() + static_cast<std::size_t>(2 * inputPairs + c) * size;
}

const char* Plug::getInputPairName(VstInt32 /*pair*/) { return "Main"; }

const char* Plug::getOutputPairName(VstInt32 /*pair*/) { return "Main"; }

bool Plug::pinProperties(VstInt32 index, const char* pairName, VstPinProperties* properties)
{
    std::snprintf(properties->label, sizeof properties->label, "%s %s", pairName, (index % 2) ? "R" : "L");
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool Plug::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index / 2 >= inputPairs || !properties)
        return false;
    return pinProperties(index, getInputPairName(index / 2), properties);
}

bool Plug::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index / 2 >= outputPairs || !properties)
        return false;
    return pinProperties(index, getOutputPairName(index / 2), properties);
}

bool Plug::getEffectName(char* text)
{
    copyText(text, name, kVstMaxEffectNameLen);
    return true;
}

bool Plug::getVendorString(char* text)
{
    copyText(text, vendor, kVstMaxVendorStrLen);
    return true;
}

bool Plug::getProductString(char* text)
{
    std::snprintf(text, kVstMaxProductStrLen, "%s %s", vendor, name);
    return true;
}

VstInt32 Plug::canDo(char* text) { return std::strcmp(text, "receiveVstMidiEvent") == 0 ? 1 : 0; }

void Plug::setListeners(IParamNotify* params, IMeterNotify* meters)
{
    paramNotify = params;
    meterNotify = meters;
}

void Plug::setParameter(VstInt32 index, float value) { params.set(index, value, paramListener()); }

float Plug::getParameter(VstInt32 index) { return params.get(index); }

void Plug::getParameterName(VstInt32 index, char* text)
{
    const char* paramName = params.contains(index) ? params[index].name : nullptr;
    copyText(text, paramName ? paramName : "**", kVstMaxParamStrLen);
}

void Plug::getParameterLabel(VstInt32 index, char* text)
{
    const char* label = params.contains(index) ? params[index].label : nullptr;
    copyText(text, label ? label : "", kVstMaxParamStrLen);
}

void Plug::getParameterDisplay(VstInt32 index, char* text)
{
    if (params.contains(index))
        getDisplayText(index, text, getParameter(index));
}

}  // namespace PlugCore
