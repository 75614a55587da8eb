#pragma once

#include <cfenv>

// Sets toward-zero rounding for a scope and restores the caller's mode when it ends.
class TowardZeroRounding {
public:
    TowardZeroRounding() : previous(std::fegetround()) { std::fesetround(FE_TOWARDZERO); }
    ~TowardZeroRounding() { std::fesetround(previous); }
    TowardZeroRounding(const TowardZeroRounding&) = delete;
    TowardZeroRounding& operator=(const TowardZeroRounding&) = delete;

private:
    int previous;
};
