// The plumbing the workarounds share: system calls without a C library, errno, the next definition.
#include "shim.h"

// Arguments go in ebx, ecx, edx, esi, edi, ebp; written out in assembly because ebp and ebx are
// reserved by the compiler in position-independent code.
__asm__(".text\n"
        ".globl shim_syscall\n"
        ".hidden shim_syscall\n"
        ".type shim_syscall,@function\n"
        "shim_syscall:\n"
        "  push %ebp\n  push %edi\n  push %esi\n  push %ebx\n"
        "  mov 20(%esp),%eax\n  mov 24(%esp),%ebx\n  mov 28(%esp),%ecx\n  mov 32(%esp),%edx\n"
        "  mov 36(%esp),%esi\n  mov 40(%esp),%edi\n  mov 44(%esp),%ebp\n"
        "  int $0x80\n"
        "  pop %ebx\n  pop %esi\n  pop %edi\n  pop %ebp\n"
        "  ret\n");

long shim_fail(long error)
{
    *__errno_location() = (int)error;
    return -1;
}

void* shim_next(const char* name) { return dlsym((void*)-1 /* RTLD_NEXT */, name); }

// The C library's syscall(): the thread-segment workaround screens it (see thread_segments.c).
int shim_refuse_syscall(long nr, long a);

SHIM_EXPORT long syscall(long nr, ...)
{
    va_list args;
    va_start(args, nr);
    long a = va_arg(args, long), b = va_arg(args, long), c = va_arg(args, long);
    long d = va_arg(args, long), e = va_arg(args, long), f = va_arg(args, long);
    va_end(args);
    if (shim_refuse_syscall(nr, a))
        return shim_fail(ENOSYS);
    long result = shim_syscall(nr, a, b, c, d, e, f);
    return (unsigned long)result > -4096UL ? shim_fail(-result) : result;
}
