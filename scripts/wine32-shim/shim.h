// A small library preloaded into every 32-bit program that qemu-i386 emulates for Wine (see
// scripts/wine-qemu.sh). It is built for i386 without any C library headers or startup files
// (gcc -m32 -nostdlib -ffreestanding), so it declares the few kernel and C library facts it uses here.
// Each file works around one way in which qemu 7.2's user-mode emulation differs from the kernel.
#pragma once

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

// The C library functions this library replaces; everything else stays inside it.
#define SHIM_EXPORT __attribute__((visibility("default")))

// i386 system call numbers.
enum {
    SYS_munmap = 91,
    SYS_modify_ldt = 123,
    SYS_rt_sigprocmask = 175,
    SYS_sched_yield = 158,
    SYS_mmap2 = 192,
    SYS_set_thread_area = 243,
};

enum { EEXIST = 17, EINVAL = 22, ENOSYS = 38 };
enum { MAP_FIXED_NOREPLACE = 0x100000 };
enum { SA_SIGINFO = 4 };
enum { SIG_SETMASK = 2 };

// The kernel's descriptor for set_thread_area and modify_ldt.
struct user_desc {
    uint32_t entry_number;
    uint32_t base_addr;
    uint32_t limit;
    uint32_t seg_32bit : 1;
    uint32_t contents : 2;
    uint32_t read_exec_only : 1;
    uint32_t limit_in_pages : 1;
    uint32_t seg_not_present : 1;
    uint32_t useable : 1;
};

// The C library's struct sigaction on i386.
struct c_sigaction {
    void (*handler)(int, void*, void*);
    uint32_t mask[32];
    int flags;
    void (*restorer)(void);
};

// A raw system call through the 32-bit gate; returns -errno on failure.
long shim_syscall(long nr, long a, long b, long c, long d, long e, long f);
// Sets the C library's errno and returns -1, as a C library wrapper does on failure.
long shim_fail(long error);
// The next definition of a C library function after this library's own.
void* shim_next(const char* name);

// From the C library, resolved when the library is loaded.
int* __errno_location(void);
void* dlsym(void* handle, const char* name);
extern char** environ;
