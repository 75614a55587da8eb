// qemu 7.2 takes MAP_FIXED_NOREPLACE as a mere hint and maps somewhere else when the address is taken.
// Wine reserves its address space with it and gives up at start ("failed to map the shared user data")
// when the answer is not the address it asked for. The kernel fails with EEXIST instead: do so too.
#include "shim.h"

static void* mapPages(void* addr, size_t length, int prot, int flags, int fd, uint64_t offset)
{
    if (offset & 4095)
        return (void*)shim_fail(EINVAL);
    long result = shim_syscall(SYS_mmap2, (long)addr, (long)length, prot, flags, fd, (long)(offset >> 12));
    if ((unsigned long)result > -4096UL)
        return (void*)shim_fail(-result);
    if ((flags & MAP_FIXED_NOREPLACE) && (void*)result != addr) {
        shim_syscall(SYS_munmap, result, (long)length, 0, 0, 0, 0);
        return (void*)shim_fail(EEXIST);
    }
    return (void*)result;
}

SHIM_EXPORT void* mmap64(void* addr, size_t length, int prot, int flags, int fd, uint64_t offset)
{
    return mapPages(addr, length, prot, flags, fd, offset);
}

SHIM_EXPORT void* mmap(void* addr, size_t length, int prot, int flags, int fd, long offset)
{
    return mapPages(addr, length, prot, flags, fd, (uint64_t)(uint32_t)offset);
}
