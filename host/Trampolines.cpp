#include "host/Trampolines.h"

#include "host/AudioEffect.h"

// No exception may travel into the host: a failed allocation inside an opcode gives the neutral answer.
namespace {

AudioEffect* objectOf(AEffect* e) { return static_cast<AudioEffect*>(e->object); }

extern "C" VstIntPtr VSTCALLBACK dispatchTrampoline(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                                   void* ptr, float opt)
{
    AudioEffect* effect = objectOf(e);
    if (!effect)
        return 0;
    VstIntPtr result = 0;
    try {
        result = effect->dispatcher(opcode, index, value, ptr, opt);
    } catch (...) {
        result = 0;
    }
    if (opcode == effClose) {
        e->object = nullptr;
        delete effect;
        return 1;
    }
    return result;
}

extern "C" void VSTCALLBACK processTrampoline(AEffect* e, float** in, float** out, VstInt32 frames)
{
    try {
        objectOf(e)->process(in, out, frames);
    } catch (...) {
    }
}

extern "C" void VSTCALLBACK processReplacingTrampoline(AEffect* e, float** in, float** out, VstInt32 frames)
{
    try {
        objectOf(e)->processReplacing(in, out, frames);
    } catch (...) {
    }
}

extern "C" void VSTCALLBACK processDoubleTrampoline(AEffect* e, double** in, double** out, VstInt32 frames)
{
    try {
        objectOf(e)->processDoubleReplacing(in, out, frames);
    } catch (...) {
    }
}

extern "C" void VSTCALLBACK setParameterTrampoline(AEffect* e, VstInt32 index, float value)
{
    objectOf(e)->setParameter(index, value);
}

extern "C" float VSTCALLBACK getParameterTrampoline(AEffect* e, VstInt32 index)
{
    return objectOf(e)->getParameter(index);
}

}  // namespace

void installTrampolines(AEffect& descriptor)
{
    descriptor.dispatcher = dispatchTrampoline;
    descriptor.process = processTrampoline;
    descriptor.setParameter = setParameterTrampoline;
    descriptor.getParameter = getParameterTrampoline;
    descriptor.processReplacing = processReplacingTrampoline;
    descriptor.processDoubleReplacing = processDoubleTrampoline;
}
