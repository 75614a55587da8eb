// The number-to-text tools of the effect layer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/AudioEffect.h"

namespace {

void copyLimited(const std::string& s, char* text, VstInt32 maxLen)
{
    const std::size_t n = maxLen > 0 ? std::min(s.size(), static_cast<std::size_t>(maxLen)) : 0;
    std::memcpy(text, s.data(), n);
    text[n] = 0;
}

constexpr std::size_t floatTextWidth = 8;

}  // namespace

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    double v = value;
    if (v > 99999999.0 || (v < 0 && -v > 9999999.0)) {
        copyLimited("Huge!", text, maxLen);
        return;
    }
    std::string s;
    if (v < 0) {
        s += '-';
        v = -v;
    }
    const auto integer = static_cast<long long>(v);
    s += std::to_string(integer);
    double fraction = v - static_cast<double>(integer);
    // The point goes in only when at least one fraction digit still fits.
    if (s.size() + 1 < floatTextWidth) {
        s += '.';
        while (s.size() < floatTextWidth) {
            fraction *= 10.0;
            const int digit = static_cast<int>(fraction);
            s += static_cast<char>('0' + digit);
            fraction -= digit;
        }
    }
    copyLimited(s, text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    if (value >= 100000000) {
        copyLimited("Huge!", text, maxLen);
        return;
    }
    copyLimited(std::to_string(static_cast<long long>(value)), text, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    if (value <= 0)
        copyLimited("-oo", text, maxLen);
    else
        float2string(static_cast<float>(20.0 * std::log10(value)), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    float2string(samples == 0 ? 0.0f : sampleRate / samples, text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    float2string(samples * 1000.0f / sampleRate, text, maxLen);
}
