#include "host/AudioEffectX.h"

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents:
        return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effGetNumProgramCategories:
        return getNumCategories();
    case effConnectInput:
    case effConnectOutput:
        return 1;
    case effGetInputProperties:
        return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effSetBlockSizeAndSampleRate:
        setBlockSizeAndSampleRate(static_cast<VstInt32>(value), opt);
        return 1;
    case effGetEffectName:
        return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effCanDo:
        return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effKeysRequired:
        return keysRequired() ? 0 : 1;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
        return editor ? editor->onKeyDown(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt)) : 0;
    case effEditKeyUp:
        return editor ? editor->onKeyUp(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt)) : 0;
    case effSetEditKnobMode:
        return editor ? editor->setKnobMode(static_cast<VstInt32>(value)) : 0;
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    case effGetSpeakerArrangement:
        getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                              static_cast<VstSpeakerArrangement**>(ptr));
        return 0;
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effVendorSpecific:
        if (index == kVendorEditorScale && value == kVendorEditorScaleValue)
            return editor && editor->setContentScale(opt) ? 1 : 0;
        return 0;
    default:
        if (opcode >= effProcessEvents && opcode <= effGetNumMidiOutputChannels)
            return 0;
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter)
{
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::beginEdit(VstInt32 index) { return callHost(audioMasterBeginEdit, index) != 0; }

bool AudioEffectX::endEdit(VstInt32 index) { return callHost(audioMasterEndEdit, index) != 0; }

double AudioEffectX::updateSampleRate()
{
    const VstIntPtr rate = callHost(audioMasterGetSampleRate);
    if (rate > 0)
        sampleRate = static_cast<float>(rate);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize()
{
    const VstIntPtr size = callHost(audioMasterGetBlockSize);
    if (size > 0)
        blockSize = static_cast<VstInt32>(size);
    return blockSize;
}
