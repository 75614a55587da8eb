// Windows (under Wine here): what one meter refresh through the editor window costs (take the block,
// redraw the meter picture, repaint the window) and what one knob repaint costs, with the built
// plug-in loaded the way a host loads it. Figures for information, printed in microseconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/vsthost/HostWindow.h"
#include "tools/vsthost/HostedEffect.h"
#include "tools/vsthost/PluginLibrary.h"

namespace {

struct Search {
    int width, height;
    HWND found;
};

BOOL CALLBACK matchSize(HWND child, LPARAM data)
{
    auto* s = reinterpret_cast<Search*>(data);
    RECT r;
    GetClientRect(child, &r);
    if (r.right == s->width && r.bottom == s->height) {
        s->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND findChild(HWND parent, int width, int height)
{
    Search search{width, height, nullptr};
    EnumChildWindows(parent, matchSize, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    VstHost::PluginLibrary library;
    if (!library.load(VstHost::defaultPluginPath())) {
        std::fprintf(stderr, "%s\n", library.error().c_str());
        return 1;
    }
    auto host = VstHost::HostedEffect::create(library.entry());
    host->start(44100.0f, 1024);
    HWND frame = VstHost::createHostWindow(160, 260);
    host->dispatch(effEditOpen, 0, 0, frame);
    VstHost::pumpWindowMessages();
    HWND editor = findChild(frame, 160, 260);
    HWND knob = findChild(editor, 80, 80);
    if (!editor || !knob) {
        std::fprintf(stderr, "the editor did not open\n");
        return 1;
    }

    std::vector<float> left(1024), right(1024);
    float* io[2] = {left.data(), right.data()};
    std::vector<double> refresh, knobPaint;
    using Clock = std::chrono::steady_clock;
    for (int round = 0; round < 200; ++round) {
        for (int i = 0; i < 1024; ++i)
            left[i] = right[i] = (i % 64 < 32 ? 1.0f : -1.0f) * (0.3f + 0.7f * static_cast<float>(round % 10) / 10.0f);
        host->processReplacing(io, io, 1024);  // 1024 frames publish one meter block
        const auto t0 = Clock::now();
        SendMessageA(editor, WM_TIMER, 0, 0);
        UpdateWindow(editor);
        const auto t1 = Clock::now();
        const float value = static_cast<float>(round % 100) / 100.0f;
        DWORD bits;
        std::memcpy(&bits, &value, sizeof bits);
        SendMessageA(knob, 0x8001, bits, 0);  // a new value to show
        UpdateWindow(knob);
        const auto t2 = Clock::now();
        refresh.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        knobPaint.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        VstHost::pumpWindowMessages();
    }
    std::printf("meter refresh through the window (take, update, repaint): %.1f us median\n", median(refresh));
    std::printf("knob repaint (picture, blit, texts):                       %.1f us median\n", median(knobPaint));
    host->dispatch(effEditClose);
    DestroyWindow(frame);
    return 0;
}
