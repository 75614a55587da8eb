// Writes the editor's built-in font as C++ data: the outlines, advances, boxes and kerning of the
// characters the editor shows, read from the regular and the bold font file given on the command line.
// The output is committed; a test compares it with a fresh run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stb/stb_truetype.h>

namespace {

// Printable ASCII: every text the editor draws is made of it.
constexpr std::uint32_t firstCharacter = 0x20, lastCharacter = 0x7E;

struct Vertex {
    int x, y, controlX, controlY, kind;
};
struct Glyph {
    std::uint32_t codepoint;
    int fontGlyph, advance, xMin, yMin, xMax, yMax;
    std::size_t firstVertex, vertexCount;
};
struct Kerning {
    int left, right, adjustment;
};
struct FontTables {
    std::string name, symbol;
    int unitsPerEm = 0, ascent = 0, descent = 0;
    std::vector<Glyph> glyphs;
    std::vector<Vertex> vertices;
    std::vector<Kerning> kerning;
};

int read16(const unsigned char* p) { return (p[0] << 8) | p[1]; }
std::uint32_t read32(const unsigned char* p) { return static_cast<std::uint32_t>(read16(p)) << 16 | read16(p + 2); }

// The offset of a table of the font file's directory; 0 when it is missing.
std::uint32_t findTable(const std::vector<unsigned char>& data, const char* tag)
{
    const int tables = read16(data.data() + 4);
    for (int i = 0; i < tables; ++i) {
        const unsigned char* record = data.data() + 12 + 16 * i;
        if (std::equal(tag, tag + 4, record))
            return read32(record + 8);
    }
    return 0;
}

bool readFont(const std::string& path, const std::string& name, const std::string& symbol, FontTables& tables)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    stbtt_fontinfo info;
    if (data.empty() || !stbtt_InitFont(&info, data.data(), stbtt_GetFontOffsetForIndex(data.data(), 0))) {
        std::fprintf(stderr, "fontgen: cannot read %s\n", path.c_str());
        return false;
    }
    tables.name = name;
    tables.symbol = symbol;
    tables.unitsPerEm = read16(data.data() + info.head + 18);
    // The line as Windows measures it: the OS/2 table's usWinAscent and usWinDescent.
    const std::uint32_t os2 = findTable(data, "OS/2");
    if (os2) {
        tables.ascent = read16(data.data() + os2 + 74);
        tables.descent = read16(data.data() + os2 + 76);
    } else {
        int ascent, descent, gap;
        stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
        tables.ascent = ascent;
        tables.descent = -descent;
    }

    std::vector<std::pair<std::uint32_t, int>> wanted{{0, 0}};  // glyph 0: the font's stand-in
    for (std::uint32_t c = firstCharacter; c <= lastCharacter; ++c)
        if (const int g = stbtt_FindGlyphIndex(&info, static_cast<int>(c)))
            wanted.emplace_back(c, g);
    for (const auto& [codepoint, fontGlyph] : wanted) {
        Glyph glyph{codepoint, fontGlyph, 0, 0, 0, 0, 0, tables.vertices.size(), 0};
        int leftBearing;
        stbtt_GetGlyphHMetrics(&info, fontGlyph, &glyph.advance, &leftBearing);
        if (!stbtt_GetGlyphBox(&info, fontGlyph, &glyph.xMin, &glyph.yMin, &glyph.xMax, &glyph.yMax))
            glyph.xMin = glyph.yMin = glyph.xMax = glyph.yMax = 0;
        stbtt_vertex* shape = nullptr;
        const int count = stbtt_GetGlyphShape(&info, fontGlyph, &shape);
        for (int i = 0; i < count; ++i) {
            const stbtt_vertex& v = shape[i];
            if (v.type == STBTT_vcubic) {
                std::fprintf(stderr, "fontgen: %s has cubic curves\n", path.c_str());
                return false;
            }
            const bool curve = v.type == STBTT_vcurve;
            tables.vertices.push_back({v.x, v.y, curve ? v.cx : 0, curve ? v.cy : 0, v.type});
        }
        stbtt_FreeShape(&info, shape);
        glyph.vertexCount = tables.vertices.size() - glyph.firstVertex;
        tables.glyphs.push_back(glyph);
    }
    for (std::size_t l = 0; l < tables.glyphs.size(); ++l)
        for (std::size_t r = 0; r < tables.glyphs.size(); ++r)
            if (const int k = stbtt_GetGlyphKernAdvance(&info, tables.glyphs[l].fontGlyph, tables.glyphs[r].fontGlyph))
                tables.kerning.push_back({static_cast<int>(l), static_cast<int>(r), k});
    return true;
}

const char* kindName(int kind)
{
    return kind == STBTT_vmove ? "M" : kind == STBTT_vline ? "L" : "Q";
}

void writeFont(const FontTables& t)
{
    std::printf("\nconst Pixa::FontVertex %sVertices[] = {", t.symbol.c_str());
    for (std::size_t i = 0; i < t.vertices.size(); ++i) {
        const Vertex& v = t.vertices[i];
        std::printf("%s{%d, %d, %d, %d, %s},", i % 5 ? " " : "\n    ", v.x, v.y, v.controlX, v.controlY,
                    kindName(v.kind));
    }
    std::printf("\n};\n\n// codepoint, advance, box (x, y, x, y), first vertex, vertex count\n");
    std::printf("const Pixa::FontGlyph %sGlyphs[] = {\n", t.symbol.c_str());
    for (const Glyph& g : t.glyphs)
        std::printf("    {0x%02X, %d, %d, %d, %d, %d, %zu, %zu},\n", g.codepoint, g.advance, g.xMin, g.yMin, g.xMax,
                    g.yMax, g.firstVertex, g.vertexCount);
    std::printf("};\n\nconst Pixa::FontKerning %sKerning[] = {", t.symbol.c_str());
    for (std::size_t i = 0; i < t.kerning.size(); ++i)
        std::printf("%s{%d, %d, %d},", i % 8 ? " " : "\n    ", t.kerning[i].left, t.kerning[i].right,
                    t.kerning[i].adjustment);
    std::printf("\n};\n");
}

void writeFontObject(const FontTables& t)
{
    std::printf("\nconst Pixa::Font %s = {\"%s\", %d, %d, %d, %sGlyphs, %zu, %sVertices, %sKerning, %zu};\n",
                t.symbol.c_str(), t.name.c_str(), t.unitsPerEm, t.ascent, t.descent, t.symbol.c_str(), t.glyphs.size(),
                t.symbol.c_str(), t.symbol.c_str(), t.kerning.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarn-fontgen REGULAR.ttf BOLD.ttf > BuiltinFontData.cpp\n");
        return 2;
    }
    FontTables regular, bold;
    if (!readFont(argv[1], "DejaVu Sans", "dejaVuSans", regular) ||
        !readFont(argv[2], "DejaVu Sans Bold", "dejaVuSansBold", bold))
        return 1;

    std::printf("// Generated by tools/fontgen from DejaVu Sans and DejaVu Sans Bold (fonts-dejavu-core): printable\n"
                "// ASCII. Do not edit; run scripts/fontgen.sh. Licence: LICENSE-DejaVu.txt beside this file.\n"
                "#include \"plugedit/font/BuiltinFontData.h\"\n\n"
                "namespace PlugEdit {\n\nnamespace {\n\n"
                "constexpr auto M = Pixa::FontVertex::moveTo;\n"
                "constexpr auto L = Pixa::FontVertex::lineTo;\n"
                "constexpr auto Q = Pixa::FontVertex::curveTo;\n");
    writeFont(regular);
    writeFont(bold);
    std::printf("\n}  // namespace\n");
    writeFontObject(regular);
    writeFontObject(bold);
    std::printf("\n}  // namespace PlugEdit\n");
    return 0;
}
