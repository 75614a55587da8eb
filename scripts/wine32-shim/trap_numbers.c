// qemu 7.2 writes -1 into the trap number of the signal frame, where the kernel writes the processor's
// exception number. Wine tells exceptions apart by it, so every access violation reached it as an
// illegal instruction (and a guard page or a caught fault in a test became a crash). The fault
// handlers are wrapped: before Wine's handler runs, the trap number is filled in from the signal and
// its code, as the kernel would have set it.
#include "shim.h"

enum { SIGILL = 4, SIGTRAP = 5, SIGBUS = 7, SIGFPE = 8, SIGSEGV = 11, SIGNALS = 65 };
enum { REG_TRAPNO = 12 };  // in the i386 ucontext's general registers
enum {
    TRAP_DIVIDE = 0,
    TRAP_DEBUG = 1,
    TRAP_BREAKPOINT = 3,
    TRAP_OVERFLOW = 4,
    TRAP_INVALID_OPCODE = 6,
    TRAP_PROTECTION = 13,
    TRAP_PAGE_FAULT = 14,
    TRAP_FPU = 16,
    TRAP_ALIGNMENT = 17
};

typedef void (*Handler)(int, void*, void*);
static Handler wrapped[SIGNALS];

static int trapFor(int sig, int code)
{
    switch (sig) {
    case SIGSEGV:
        return code == 1 || code == 2 ? TRAP_PAGE_FAULT : TRAP_PROTECTION;  // SEGV_MAPERR, SEGV_ACCERR
    case SIGBUS:
        return code == 1 ? TRAP_ALIGNMENT : TRAP_PROTECTION;  // BUS_ADRALN
    case SIGILL:
        return TRAP_INVALID_OPCODE;
    case SIGFPE:
        return code == 1 ? TRAP_DIVIDE : code == 2 ? TRAP_OVERFLOW : TRAP_FPU;  // FPE_INTDIV, FPE_INTOVF
    default:
        return code == 2 ? TRAP_DEBUG : TRAP_BREAKPOINT;  // TRAP_TRACE
    }
}

static void fillTrapNumber(int sig, void* info, void* context)
{
    // ucontext: flags, link, the three words of the signal stack, then the general registers.
    int32_t* registers = (int32_t*)((char*)context + 20);
    if (registers[REG_TRAPNO] == -1)
        registers[REG_TRAPNO] = trapFor(sig, ((int32_t*)info)[2]);
    wrapped[sig](sig, info, context);
}

static int isFault(int sig)
{
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE || sig == SIGTRAP;
}

SHIM_EXPORT int sigaction(int sig, const struct c_sigaction* action, struct c_sigaction* old)
{
    static int (*next)(int, const struct c_sigaction*, struct c_sigaction*);
    if (!next)
        next = (int (*)(int, const struct c_sigaction*, struct c_sigaction*))shim_next("sigaction");
    struct c_sigaction replaced;
    Handler previous = sig > 0 && sig < SIGNALS ? wrapped[sig] : 0;
    if (action && isFault(sig) && (action->flags & SA_SIGINFO) && (uintptr_t)action->handler > 1) {
        replaced = *action;
        replaced.handler = fillTrapNumber;
        wrapped[sig] = action->handler;
        action = &replaced;
    }
    int result = next(sig, action, old);
    if (old && old->handler == fillTrapNumber)
        old->handler = previous;  // callers see their own handler, as they set it
    return result;
}
