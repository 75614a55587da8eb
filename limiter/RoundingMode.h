#pragma once

#include <cfenv>

// Sets toward-zero rounding for a scope and restores the caller's mode when it ends.
class TowardZeroRounding {
public:
    TowardZeroRounding() : previous(std::fegetround()) { std::fesetround(FE_TOWARDZERO); }
    ~TowardZeroRounding() { std::fesetround(previous); }
    TowardZeroRounding(const TowardZeroRounding&) = delete;
    TowardZeroRounding& operator=(const TowardZeroRounding&) = delete;

    // The mode the caller had, which work done for the caller (a conversion it would have made itself)
    // rounds in.
    int callersMode() const { return previous; }

    // The caller's mode for a scope inside the toward-zero one.
    class CallersRounding {
    public:
        explicit CallersRounding(const TowardZeroRounding& outer) { std::fesetround(outer.previous); }
        ~CallersRounding() { std::fesetround(FE_TOWARDZERO); }
        CallersRounding(const CallersRounding&) = delete;
        CallersRounding& operator=(const CallersRounding&) = delete;
    };

private:
    int previous;
};
