#include "plugedit/MeterMailbox.h"

#include <cstring>
#include <thread>

namespace PlugEdit {

MeterMailbox::MeterMailbox(int meterBytes)
    : meterBytes(meterBytes > 0 ? meterBytes : 0),
      meterBuffer(meterBytes > 0 ? new unsigned char[static_cast<std::size_t>(meterBytes)]() : nullptr)
{
}

bool MeterMailbox::publishMeters(const void* block)
{
    if (!meterBuffer)
        return true;
    if (!tryLockMeters())
        return false;
    if (meterTaken) {
        meterTaken = false;
        std::memcpy(meterBuffer.get(), block, static_cast<std::size_t>(meterBytes));
    }
    unlockMeters();
    return true;
}

bool MeterMailbox::takeMeters(void* copy)
{
    if (!meterBuffer)
        return false;
    lockMeters();
    const bool fresh = !meterTaken;
    if (fresh) {
        std::memcpy(copy, meterBuffer.get(), static_cast<std::size_t>(meterBytes));
        meterTaken = true;
    }
    unlockMeters();
    return fresh;
}

void MeterMailbox::lockMeters()
{
    while (!tryLockMeters())
        std::this_thread::yield();
}

}  // namespace PlugEdit
