// What the editor did that the host must hear (a gesture's begin, each value, its end), in order, from
// the user-interface thread to whichever thread next processes or flushes: a single-producer,
// single-consumer ring of fixed size, so neither side allocates, locks or waits. A full ring drops
// the newest note (the value itself is already in the effect).
#pragma once

#include <atomic>
#include <cstdint>

namespace ClapFace {

struct EditNote {
    enum Kind : std::uint8_t { gestureBegin, change, gestureEnd } kind;
    int index;
    double value;
};

class EditNotes {
public:
    static constexpr std::uint32_t capacity = 256;  // a power of two

    bool push(const EditNote& note)
    {
        const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == capacity)
            return false;
        ring_[tail % capacity] = note;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    bool pop(EditNote& note)
    {
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire))
            return false;
        note = ring_[head % capacity];
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

private:
    EditNote ring_[capacity]{};
    std::atomic<std::uint32_t> head_{0}, tail_{0};
};

}  // namespace ClapFace
