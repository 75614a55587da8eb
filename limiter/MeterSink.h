#pragma once

#include "limiter/MeterBlock.h"

// Where the limiter kernel's meter values go every 20 ms: the editor's mailbox in the VST plug-in,
// whatever reads them in another host.
class MeterSink {
public:
    // Audio thread, one attempt that never waits: false when the block could not be taken now (the
    // kernel offers it again at each following frame).
    virtual bool offerMeters(const MeterBlock& block) = 0;

protected:
    ~MeterSink() = default;
};
