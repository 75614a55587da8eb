// What a CLAP host heard of a drag down a knob, through our host or its editor test on either window
// system: gesture begin, value changes, gesture end, all for the dragged parameter, and the last value
// below where the drag began (0 dB, the top). Call it under ASSERT_NO_FATAL_FAILURE.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tools/pluginhost/ClapInstance.h"

namespace TestSupport {

inline void expectDragDown(const std::vector<PluginHost::ReportedEvent>& events, int index)
{
    using PluginHost::ReportedEvent;
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front().kind, ReportedEvent::gestureBegin);
    EXPECT_EQ(events.back().kind, ReportedEvent::gestureEnd);
    for (std::size_t i = 1; i + 1 < events.size(); ++i)
        EXPECT_EQ(events[i].kind, ReportedEvent::change) << i;
    for (const ReportedEvent& e : events)
        EXPECT_EQ(e.index, index);
    EXPECT_LT(events[events.size() - 2].value, 0.95) << "dragged down from 0 dB";
}

}  // namespace TestSupport
