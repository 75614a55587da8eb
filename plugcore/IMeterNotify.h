#pragma once

namespace PlugCore {

// Where the audio thread hands its meter values: the editor's one-slot mailbox, or a driver's tap. It
// is given to the effect as it is made (Plug::setListeners; null when nobody listens, so nothing is
// gathered for nobody).
class IMeterNotify {
public:
    // Audio thread, one attempt that never waits: false when the editor held its lock (offer again
    // soon); true otherwise, whether or not the block was copied. The block is the effect's own record
    // of meter values, of the byte size the editor was made for.
    virtual bool publishMeters(const void* block) = 0;

protected:
    ~IMeterNotify() = default;
};

}  // namespace PlugCore
