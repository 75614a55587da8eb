// A one-slot mailbox from the audio thread to the editor's window: the audio thread tries its lock
// once and gives up; the window's timer spins for it with a yield.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "plugcore/IMeterNotify.h"

namespace PlugEdit {

class MeterMailbox : public PlugCore::IMeterNotify {
public:
    explicit MeterMailbox(int meterBytes);
    virtual ~MeterMailbox() = default;

    // Audio thread. False when the lock was held; true otherwise, whether or not the block was copied
    // (it is copied only once the previous block has been taken).
    bool publishMeters(const void* block) override;

    // User-interface thread. True when a block not yet taken was copied into `copy`.
    bool takeMeters(void* copy);

protected:
    void lockMeters();
    void unlockMeters() { meterLock.store(0, std::memory_order_release); }
    // A full-barrier exchange; the release store above publishes what the holder wrote.
    bool tryLockMeters() { return meterLock.exchange(1) == 0; }

    std::atomic<std::int32_t> meterLock{0};
    bool meterTaken = false;
    int meterBytes;
    std::unique_ptr<unsigned char[]> meterBuffer;
};

}  // namespace PlugEdit
