// Pictures out of the graphics library into files: 24-bit BMP (what the resource script embeds) and
// PNG (for looking at). Pixels are 0xAARRGGBB words, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ImageFile {

struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

// The red, green and blue bytes of every word, bottom-up rows padded to four bytes.
std::vector<unsigned char> encodeBmp(const Picture& picture);
// Eight-bit RGB: deflated by zlib in the native build, in stored (uncompressed) deflate blocks in the
// Windows builds, which depend on nothing. Empty if zlib fails.
std::vector<unsigned char> encodePng(const Picture& picture);

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
bool readFile(const std::string& path, std::vector<unsigned char>& bytes);

}  // namespace ImageFile
