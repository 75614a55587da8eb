// What a VST3 host's component handler heard of a drag down a knob, on either window system:
// beginEdit, performEdit calls, endEdit, all for the dragged parameter, and the last value below where
// the drag began (0 dB, the top). Call it under ASSERT_NO_FATAL_FAILURE.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tools/pluginhost/Vst3Instance.h"

namespace TestSupport {

inline void expectDragDown(const std::vector<PluginHost::Vst3Instance::Edit>& edits, int index)
{
    ASSERT_GE(edits.size(), 3u);
    EXPECT_EQ(edits.front().kind, 'b');
    EXPECT_EQ(edits.back().kind, 'e');
    for (std::size_t i = 1; i + 1 < edits.size(); ++i)
        EXPECT_EQ(edits[i].kind, 'p') << i;
    for (const auto& e : edits)
        EXPECT_EQ(e.id, static_cast<v3_param_id>(index));
    EXPECT_LT(edits[edits.size() - 2].value, 0.95) << "dragged down from 0 dB";
}

}  // namespace TestSupport
