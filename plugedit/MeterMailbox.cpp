#include "plugedit/MeterMailbox.h"

#include <cstring>
#include <thread>

namespace PlugEdit {

MeterMailbox::MeterMailbox(int meterBytes) : meterBytes(meterBytes), meterBuffer(new unsigned char[meterBytes]())
{
}

bool MeterMailbox::publishMeters(const void* block)
{
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
