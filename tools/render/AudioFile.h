// Audio files in and out. The native build reads whatever libsndfile reads and writes the formats of
// formatChoices(); the Windows build has a small WAV reader and writer of its own (16- and 24-bit PCM,
// 32-bit float).
#pragma once

#include <string>

#include "tools/render/StereoAudio.h"

namespace Render {

// False with a message in `error` when the file is missing, unreadable, holds no audio, has more than
// two channels, or is shorter than its header says.
bool readAudio(const std::string& path, StereoAudio& audio, std::string& error);

// Writes audio.format, mono when audio.fileChannels is 1 (the left channel, after roundAsWritten), to a
// temporary name and renames it, so a failed write leaves no file.
bool writeAudio(const std::string& path, const StereoAudio& audio, std::string& error);

}  // namespace Render
