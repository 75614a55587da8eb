// The framework class between the VST 2.4 layer and an effect: identity, channel layout, the double-
// precision audio driver that cuts host blocks at MIDI event positions, the parameter table, MIDI learn,
// programs, chunks and the defaults file. The effect fills in setup, reset, processBlock and
// getDisplayText.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/AudioEffectX.h"
#include "plugcore/IMeterNotify.h"
#include "plugcore/ParamTable.h"
#include "plugcore/Program.h"

namespace PlugCore {

struct TransportInfo {
    double tempo;
    double songPosition;
    double beatsPerSample;
    double sampleRate;
};

class Plug : public AudioEffectX {
public:
    static constexpr VstInt32 programCount = 8;

    Plug(audioMasterCallback audioMaster, VstInt32 numParams);
    ~Plug() override;

    // Effects derived from Plug live on a 16-byte boundary.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory) noexcept;

    // --- AudioEffect / AudioEffectX overrides -----------------------------------------------------
    void resume() override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
    void process(float** inputs, float** outputs, VstInt32 frames) override;

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* text) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void setProgram(VstInt32 program) override;
    VstInt32 getChunk(void** data, bool isPreset) override;
    VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;

    VstInt32 processEvents(VstEvents* events) override;
    bool setBlockSizeAndSampleRate(VstInt32 size, float rate) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* text) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 canDo(char* text) override;

    // --- What the effect supplies -----------------------------------------------------------------
    virtual const char* getInputPairName(VstInt32 pair);
    virtual const char* getOutputPairName(VstInt32 pair);
    virtual void setup() = 0;
    virtual void reset() = 0;
    virtual bool processBlock(bool paramsChanged, const TransportInfo& info, double** inputs, double** outputs,
                              VstInt32 frames) = 0;
    // The same for processReplacing's single-precision buffers. By default the block is widened into the
    // conversion buffers, run through processBlock and narrowed back; an effect that reads and writes
    // single precision itself, to the same samples, overrides it.
    virtual bool processBlockSingle(bool paramsChanged, const TransportInfo& info, float** inputs,
                                    float** outputs, VstInt32 frames);
    virtual void getDisplayText(VstInt32 index, char* text, float value) = 0;
    virtual VstInt32 getLatency() { return 0; }
    virtual void noteOn(VstInt32 /*note*/, VstInt32 /*velocity*/) {}
    virtual void noteOff(VstInt32 /*note*/, VstInt32 /*velocity*/) {}
    virtual void controlChange(VstInt32 /*key*/, float /*value*/) {}

    // --- Used by the editor, the chunk loader and the defaults file ------------------------------
    ParamTable& paramTable() { return params; }
    const char* getName() const { return name; }
    void armLearn(VstInt32 index);
    void cancelLearn();
    void unlearn(VstInt32 index);
    VstInt32 learningParam() const { return learnParam.load(std::memory_order_relaxed); }
    void storeProgram(VstInt32 index);
    const Program& program(VstInt32 index) const { return programs[index]; }
    void loadDefaults();
    void saveDefaults();

protected:
    // Who hears from the effect: where parameter changes and learns are told, where meter blocks go.
    // Set once while the effect is made (by its editor, or by the driver of another plug-in format),
    // before any other thread calls in; either may be null (nobody listens).
    void setListeners(IParamNotify* params, IMeterNotify* meters);
    IParamNotify* paramListener() const { return paramNotify; }
    IMeterNotify* meterListener() const { return meterNotify; }

    // The effect's own: the descriptor's name and vendor, the defaults file's name and folder.
    const char* name = "";
    const char* vendor = "";
    ParamTable params;

private:
    void allocateBuffers(VstInt32 size);
    template <bool accumulate>
    void processSingle(float** inputs, float** outputs, VstInt32 frames);
    template <class Sample> void processCutAtEvents(Sample** inputs, Sample** outputs, VstInt32 frames);
    template <class Sample>
    void runEffect(VstInt32 from, VstInt32 to, bool& changed, double tempo, bool playing, Sample** inputs,
                   Sample** outputs);
    // The effect's block call for either precision.
    bool effectBlock(bool changed, const TransportInfo& info, double** inputs, double** outputs, VstInt32 frames)
    {
        return processBlock(changed, info, inputs, outputs, frames);
    }
    bool effectBlock(bool changed, const TransportInfo& info, float** inputs, float** outputs, VstInt32 frames)
    {
        return processBlockSingle(changed, info, inputs, outputs, frames);
    }
    VstInt32 dispatchEvents(const VstEvents& events, VstInt32 first);
    void handleMidiEvent(const VstMidiEvent& event);
    void handleController(VstInt32 key, VstInt32 data);
    void learnAndDrive(VstInt32 key, VstInt32 data);
    bool pinProperties(VstInt32 index, const char* pairName, VstPinProperties* properties);
    std::vector<unsigned char> writeChunk(bool isPreset);
    void showChunkError(const char* message);

    std::unique_ptr<double[]> conversionBlock;
    std::unique_ptr<double*[]> inputBuffers;
    std::unique_ptr<double*[]> outputBuffers;
    std::unique_ptr<double*[]> inputCursor;
    std::unique_ptr<double*[]> outputCursor;
    std::unique_ptr<float*[]> singleInputCursor;
    std::unique_ptr<float*[]> singleOutputCursor;
    VstInt32 inputPairs = 1;
    VstInt32 outputPairs = 1;
    bool needsSetup = true;
    VstEvents* pendingEvents = nullptr;
    double songPosition = 0.0;
    std::atomic<VstInt32> learnParam{-1};
    IParamNotify* paramNotify = nullptr;
    IMeterNotify* meterNotify = nullptr;
    std::vector<unsigned char> chunkText;
    std::unique_ptr<Program[]> programs;
};

}  // namespace PlugCore
