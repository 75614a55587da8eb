#include "tools/render/MidiList.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace Render {

namespace {

// Decimal, or hexadecimal after 0x (a leading 0 does not make it octal).
bool parseNumber(const std::string& word, long long low, long long high, long long& value)
{
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    std::size_t used = 0;
    try {
        value = std::stoll(hex ? word.substr(2) : word, &used, hex ? 16 : 10);
        if (hex)
            used += 2;
    } catch (const std::exception&) {
        return false;
    }
    return used == word.size() && value >= low && value <= high;
}

}  // namespace

bool parseMidiList(const std::string& text, std::vector<MidiCue>& cues, std::string& error)
{
    cues.clear();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string w; words >> w;)
            fields.push_back(w);
        if (fields.empty())
            continue;
        long long frame = 0, status = 0, d1 = 0, d2 = 0;
        if (fields.size() != 4 || !parseNumber(fields[0], 0, INT64_MAX, frame) ||
            !parseNumber(fields[1], 0x80, 0xFF, status) || !parseNumber(fields[2], 0, 127, d1) ||
            !parseNumber(fields[3], 0, 127, d2)) {
            error = "MIDI line " + std::to_string(number) +
                    ": expected 'frame status data1 data2' (status 0x80..0xFF, data 0..127)";
            return false;
        }
        cues.push_back({frame, static_cast<std::uint8_t>(status), static_cast<std::uint8_t>(d1),
                        static_cast<std::uint8_t>(d2)});
    }
    std::stable_sort(cues.begin(), cues.end(), [](const MidiCue& a, const MidiCue& b) { return a.frame < b.frame; });
    return true;
}

bool readMidiList(const std::string& path, std::vector<MidiCue>& cues, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (!parseMidiList(text.str(), cues, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace Render
