// The renderer's MIDI input: a text file of `frame status data1 data2` lines (decimal or 0x hex),
// '#' starting a comment. Frames count from the start of the input audio.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Render {

struct MidiCue {
    std::int64_t frame;
    std::uint8_t status, data1, data2;
};

// The cues in frame order (lines with equal frames keep their order); false with a reason naming the line.
bool readMidiList(const std::string& path, std::vector<MidiCue>& cues, std::string& error);
bool parseMidiList(const std::string& text, std::vector<MidiCue>& cues, std::string& error);

}  // namespace Render
