// qemu 7.2 keeps one global descriptor table for all the threads of a process, where the kernel keeps
// the thread-local entries per thread. Whenever a thread loads a segment register again (after every
// signal, and each time Wine switches between Windows and Unix code), it picks up the base of whichever
// thread last wrote the shared entry: the C library's %gs then points at another thread's data (stack
// guard failures, wrong errno, hangs), Wine's %fs at another thread's TEB.
// - Wine first asks set_thread_area for a fresh entry for %fs (entry number -1); refused, it falls back
//   to entries of its own in the local descriptor table, one per thread, which qemu keeps correctly.
// - The C library's %gs gets the same treatment here: each thread is moved to a private local entry
//   holding its own thread pointer before any of its code runs.
// - The C library's thread creation reads the number of its global entry from %gs; around it the
//   creating thread goes back to that selector (with the entry pointing at itself, signals blocked,
//   one creation at a time) until the new thread has moved to its own entry.
#include "shim.h"

// Wine takes local entries from the bottom of the table (from 32 up); these come from the top.
enum { LDT_TOP = 8191, LDT_BOTTOM = 4096 };

static uint16_t libraryGs;  // the C library's global selector, as the first thread found it
static volatile int creating;
static int nextEntry = LDT_TOP;
static int freedEntries[LDT_TOP - LDT_BOTTOM];
static unsigned freedHead, freedTail;
static unsigned threadKey;
static int haveKey;

static uint16_t getGs(void)
{
    uint16_t selector;
    __asm__ volatile("movw %%gs, %0" : "=r"(selector));
    return selector;
}

static void setGs(uint16_t selector) { __asm__ volatile("movw %0, %%gs" : : "r"(selector) : "memory"); }

static uint32_t threadPointer(void)
{
    uint32_t tcb;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(tcb));  // the C library's thread block points at itself
    return tcb;
}

static void describe(struct user_desc* entry, uint32_t number, uint32_t base)
{
    *entry = (struct user_desc){0};
    entry->entry_number = number;
    entry->base_addr = base;
    entry->limit = 0xfffff;
    entry->seg_32bit = 1;
    entry->limit_in_pages = 1;
    entry->useable = 1;
}

static void lock(void)
{
    while (__atomic_exchange_n(&creating, 1, __ATOMIC_ACQUIRE))
        shim_syscall(SYS_sched_yield, 0, 0, 0, 0, 0, 0);
}

static void unlock(void) { __atomic_store_n(&creating, 0, __ATOMIC_RELEASE); }

// Entries are taken from the top down; those of threads that ended are used again only when the top
// is used up, so an ending thread's entry is not rewritten while it still runs. Called under the lock.
static int takeEntry(void)
{
    if (nextEntry >= LDT_BOTTOM)
        return nextEntry--;
    if (freedHead != freedTail)
        return freedEntries[freedHead++ % (LDT_TOP - LDT_BOTTOM)];
    return -1;
}

static void giveBackEntry(void* entry)
{
    lock();
    freedEntries[freedTail++ % (LDT_TOP - LDT_BOTTOM)] = (int)(uintptr_t)entry - 1;
    unlock();
}

// Moves the calling thread's %gs to a private local entry with the same base. Called under the lock.
static void movePrivate(void)
{
    int number = takeEntry();
    if (number < 0)
        return;  // stays on the shared entry, as without this library
    struct user_desc entry;
    describe(&entry, (uint32_t)number, threadPointer());
    if (shim_syscall(SYS_modify_ldt, 1, (long)&entry, sizeof entry, 0, 0, 0) != 0)
        return;
    setGs((uint16_t)(number << 3 | 7));  // local table, privilege 3
    if (haveKey) {
        static int (*setSpecific)(unsigned, const void*);
        if (!setSpecific)
            setSpecific = (int (*)(unsigned, const void*))shim_next("pthread_setspecific");
        setSpecific(threadKey, (void*)(uintptr_t)(number + 1));
    }
}

int shim_refuse_syscall(long nr, long a)
{
    return nr == SYS_set_thread_area && a && ((struct user_desc*)a)->entry_number == 0xffffffffu;
}

struct Start {
    void* (*routine)(void*);
    void* argument;
    uint32_t mask[2];
    volatile int moved;
};

static void* startThread(void* data)
{
    struct Start* start = data;
    void* (*routine)(void*) = start->routine;
    void* argument = start->argument;
    uint32_t mask[2] = {start->mask[0], start->mask[1]};
    movePrivate();  // the creator holds the lock
    __atomic_store_n(&start->moved, 1, __ATOMIC_RELEASE);
    shim_syscall(SYS_rt_sigprocmask, SIG_SETMASK, (long)mask, 0, 8, 0, 0);
    return routine(argument);
}

SHIM_EXPORT int pthread_create(void* thread, const void* attributes, void* (*routine)(void*), void* argument)
{
    static int (*next)(void*, const void*, void* (*)(void*), void*);
    if (!next)
        next = (int (*)(void*, const void*, void* (*)(void*), void*))shim_next("pthread_create");
    if (!libraryGs)
        return next(thread, attributes, routine, argument);

    struct Start start = {routine, argument, {0, 0}, 0};
    uint32_t all[2] = {~0u, ~0u};
    shim_syscall(SYS_rt_sigprocmask, SIG_SETMASK, (long)all, (long)start.mask, 8, 0, 0);
    lock();
    uint16_t own = getGs();
    struct user_desc entry;
    describe(&entry, libraryGs >> 3, threadPointer());
    shim_syscall(SYS_set_thread_area, (long)&entry, 0, 0, 0, 0, 0);
    setGs(libraryGs);
    int result = next(thread, attributes, startThread, &start);
    setGs(own);
    while (result == 0 && !__atomic_load_n(&start.moved, __ATOMIC_ACQUIRE))
        shim_syscall(SYS_sched_yield, 0, 0, 0, 0, 0, 0);
    unlock();
    shim_syscall(SYS_rt_sigprocmask, SIG_SETMASK, (long)start.mask, 0, 8, 0, 0);
    return result;
}

__attribute__((constructor(102))) static void moveFirstThread(void)
{
    uint16_t selector = getGs();
    if ((selector & 4) || !selector)
        return;  // not the C library's global entry: leave threads alone
    int (*keyCreate)(unsigned*, void (*)(void*)) = (int (*)(unsigned*, void (*)(void*)))shim_next("pthread_key_create");
    haveKey = keyCreate && keyCreate(&threadKey, giveBackEntry) == 0;
    libraryGs = selector;
    lock();
    movePrivate();
    unlock();
}
