#include "tools/imagefile/ImageFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

#if TARN_PNG_ZLIB
#include <zlib.h>
#endif

namespace ImageFile {

namespace {

void put32le(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void put16le(std::vector<unsigned char>& out, std::uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32be(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void pngChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& body)
{
    put32be(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32be(out, crc32(out.data() + typeAt, 4 + body.size()));
}

}  // namespace

std::vector<unsigned char> encodeBmp(const Picture& picture)
{
    const std::uint32_t rowBytes = (picture.width * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * picture.height;
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32le(out, 54 + imageBytes);
    put32le(out, 0);
    put32le(out, 54);
    put32le(out, 40);
    put32le(out, picture.width);
    put32le(out, picture.height);
    put16le(out, 1);
    put16le(out, 24);
    put32le(out, 0);  // BI_RGB
    put32le(out, imageBytes);
    put32le(out, 2835);  // 72 dpi
    put32le(out, 2835);
    put32le(out, 0);
    put32le(out, 0);
    for (std::uint32_t y = picture.height; y-- > 0;) {
        const std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            out.push_back(static_cast<unsigned char>(row[x]));
            out.push_back(static_cast<unsigned char>(row[x] >> 8));
            out.push_back(static_cast<unsigned char>(row[x] >> 16));
        }
        out.insert(out.end(), rowBytes - picture.width * 3, 0);
    }
    return out;
}

std::vector<unsigned char> encodePng(const Picture& picture)
{
    std::vector<unsigned char> raw;
    raw.reserve((picture.width * 3 + 1) * static_cast<std::size_t>(picture.height));
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        const std::uint32_t* row = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
        for (std::uint32_t x = 0; x < picture.width; ++x) {
            raw.push_back(static_cast<unsigned char>(row[x] >> 16));
            raw.push_back(static_cast<unsigned char>(row[x] >> 8));
            raw.push_back(static_cast<unsigned char>(row[x]));
        }
    }
#if TARN_PNG_ZLIB
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> z(packed);
    if (compress2(z.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        return {};
    z.resize(packed);
#else
    std::vector<unsigned char> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        put16le(z, static_cast<std::uint16_t>(n));
        put16le(z, static_cast<std::uint16_t>(~n));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        if (raw.empty())
            break;
    }
    put32be(z, (b << 16) | a);
#endif

    std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    put32be(header, picture.width);
    put32be(header, picture.height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", z);
    pngChunk(out, "IEND", {});
    return out;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

bool readFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace ImageFile
