// The few operating-system services the core needs outside the editor: message boxes, the user's
// application-data folder and whole-file reads and writes. A Windows side and a POSIX side.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Platform {

enum class MessageStyle {
    plainOk,         // no owner, one OK button
    taskModalError,  // task-modal, error icon
};

// Blocks until the user closes the box (on POSIX the text goes to standard error at once).
void showMessageBox(const char* text, const char* caption, MessageStyle style);

// The folder that per-user settings live in; false when the system cannot tell.
bool appDataFolder(std::string& path);

// The separator of the platform's paths.
char pathSeparator();

// Creates one folder; an existing folder is fine. The result says whether it exists afterwards.
bool createFolder(const std::string& path);

enum class ReadResult { ok, missing, tooLarge, failed };

// Reads the whole file when it exists and is smaller than sizeLimit bytes.
ReadResult readWholeFile(const std::string& path, std::size_t sizeLimit, std::vector<unsigned char>& bytes);

// Replaces the file with the bytes; false when it cannot be created.
bool writeWholeFile(const std::string& path, const void* bytes, std::size_t count);

}  // namespace Platform
