// Every output is written to PATH.part and takes its own name only once it is whole, so a failure
// leaves nothing behind (and never half a file under the name the user asked for).
#pragma once

#include <string>

namespace Render {

std::string temporaryFor(const std::string& path);

// Gives the temporary file its final name when `written`; otherwise, or when that fails, removes it
// and says so in `error`.
bool keepTemporary(const std::string& path, bool written, std::string& error);

}  // namespace Render
