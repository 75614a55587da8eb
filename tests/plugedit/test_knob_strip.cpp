// The knob film strip from this program's own resources, through real GDI (under Wine here).
#include <gtest/gtest.h>

#include <windows.h>

#include "host/ModuleHandle.h"
#include "plugedit/KnobStrip.h"

using Pixa::Canvas;
using Pixa::Color;

TEST(KnobStrip, LoadsOnceFromTheResources)
{
    setModuleInstance(GetModuleHandleA(nullptr));
    const Canvas& strip = PlugEdit::knobStripCanvas();
    EXPECT_EQ(&strip, &PlugEdit::knobStripCanvas());
    ASSERT_EQ(strip.getWidth(), 40u);
    ASSERT_EQ(strip.getHeight(), 4040u);
    EXPECT_EQ(strip.colorAt(0, 0), 0u);
    EXPECT_EQ(strip.colorAt(20, 20 + 40 * 50) >> 24, 0xFFu);
    for (std::uint32_t y = 0; y < strip.getHeight(); y += 7)
        for (std::uint32_t x = 0; x < 40; ++x) {
            const Color p = strip.colorAt(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
            ASSERT_LE(p >> 16 & 0xFF, p >> 24);
        }
}
