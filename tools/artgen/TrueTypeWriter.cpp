#include "tools/artgen/TrueTypeWriter.h"

#include "tools/artgen/PixelFont.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace pavlune::artgen {

namespace {

using Bytes = std::vector<std::uint8_t>;

void u8(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
}
void u16(Bytes& b, unsigned v) {
    u8(b, (v >> 8) & 0xFF);
    u8(b, v & 0xFF);
}
void s16(Bytes& b, int v) {
    u16(b, static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))));
}
void u32(Bytes& b, std::uint32_t v) {
    u16(b, v >> 16);
    u16(b, v & 0xFFFF);
}
void zeros(Bytes& b, std::size_t n) {
    b.insert(b.end(), n, 0);
}
void pad4(Bytes& b) {
    while (b.size() % 4)
        b.push_back(0);
}

std::uint32_t checksum(const Bytes& b) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < b.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < b.size() ? b[i + k] : 0);
        sum += word;
    }
    return sum;
}

constexpr int kPixel = TrueTypeWriter::kUnitsPerPixel;
constexpr int kAdvance = PixelFont::kCell * kPixel;
constexpr int kAscent = (PixelFont::kBaselineRow + 1) * kPixel;
constexpr int kDescent = (PixelFont::kCell - PixelFont::kBaselineRow - 1) * kPixel;
constexpr int kGlyphCount = 1 + static_cast<int>(PixelFont::kLast - PixelFont::kFirst + 1); // .notdef first

struct Glyph {
    Bytes data;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int points = 0, contours = 0;
};

Glyph outline(const PixelFont::Bitmap& bitmap) {
    Glyph g;
    const auto blocks = PixelFont::blocks(bitmap);
    if (blocks.empty())
        return g; // an empty glyph has no data at all
    g.contours = static_cast<int>(blocks.size());
    g.points = g.contours * 4;
    std::vector<std::pair<int, int>> pts;
    for (const auto& b : blocks) {
        // font units, y upwards from the baseline
        const int x0 = b.x * kPixel, x1 = (b.x + b.w) * kPixel;
        const int yTop = (PixelFont::kBaselineRow + 1 - b.y) * kPixel;
        const int yBottom = yTop - b.h * kPixel;
        // clockwise: the filled side of a TrueType contour is on the right
        pts.insert(pts.end(), {{x0, yBottom}, {x0, yTop}, {x1, yTop}, {x1, yBottom}});
    }
    g.xMin = g.xMax = pts[0].first;
    g.yMin = g.yMax = pts[0].second;
    for (const auto& [x, y] : pts) {
        g.xMin = std::min(g.xMin, x);
        g.xMax = std::max(g.xMax, x);
        g.yMin = std::min(g.yMin, y);
        g.yMax = std::max(g.yMax, y);
    }
    Bytes& d = g.data;
    s16(d, g.contours);
    s16(d, g.xMin);
    s16(d, g.yMin);
    s16(d, g.xMax);
    s16(d, g.yMax);
    for (int c = 0; c < g.contours; ++c)
        u16(d, static_cast<unsigned>(c * 4 + 3));
    u16(d, 0); // no instructions
    for (int i = 0; i < g.points; ++i)
        u8(d, 0x01); // on-curve, 16-bit deltas
    int last = 0;
    for (const auto& p : pts) {
        s16(d, p.first - last);
        last = p.first;
    }
    last = 0;
    for (const auto& p : pts) {
        s16(d, p.second - last);
        last = p.second;
    }
    return g;
}

Bytes nameTable() {
    const std::string family = TrueTypeWriter::kFamily;
    const std::string version = TrueTypeWriter::kVersion;
    const std::vector<std::pair<int, std::string>> names = {
        {1, family},
        {2, "Regular"},
        {3, family + "-" + version},
        {4, family},
        {5, "Version " + version},
        {6, family + "-Regular"},
    };
    Bytes strings;
    Bytes t;
    u16(t, 0);
    u16(t, static_cast<unsigned>(names.size()));
    u16(t, static_cast<unsigned>(6 + 12 * names.size()));
    for (const auto& [id, text] : names) {
        const std::size_t offset = strings.size();
        for (char c : text)
            u16(strings, static_cast<unsigned char>(c)); // UTF-16BE, ASCII only
        u16(t, 3);                                       // Windows
        u16(t, 1);                                       // Unicode BMP
        u16(t, 0x409);                                   // English
        u16(t, static_cast<unsigned>(id));
        u16(t, static_cast<unsigned>(text.size() * 2));
        u16(t, static_cast<unsigned>(offset));
    }
    t.insert(t.end(), strings.begin(), strings.end());
    return t;
}

Bytes cmapTable() {
    // One format 4 subtable: 0x20..0x7E map to glyphs 1..95 by a constant delta.
    Bytes t;
    u16(t, 0);
    u16(t, 1);
    u16(t, 3);
    u16(t, 1);
    u32(t, 12);
    const unsigned segments = 2;
    u16(t, 4);
    u16(t, 16 + segments * 8); // length
    u16(t, 0);
    u16(t, segments * 2);
    u16(t, 4); // searchRange: 2 * 2^floor(log2(2))
    u16(t, 1); // entrySelector
    u16(t, 0); // rangeShift
    u16(t, PixelFont::kLast);
    u16(t, 0xFFFF);
    u16(t, 0);
    u16(t, PixelFont::kFirst);
    u16(t, 0xFFFF);
    s16(t, 1 - static_cast<int>(PixelFont::kFirst));
    s16(t, 1);
    u16(t, 0);
    u16(t, 0);
    return t;
}

} // namespace

std::vector<std::uint8_t> TrueTypeWriter::build() {
    std::vector<Glyph> glyphs;
    glyphs.push_back(outline(PixelFont::glyph('\x7F'))); // .notdef: the hollow box
    for (char32_t c = PixelFont::kFirst; c <= PixelFont::kLast; ++c)
        glyphs.push_back(outline(PixelFont::glyph(static_cast<char>(c))));

    Bytes glyf, loca;
    int maxPoints = 0, maxContours = 0;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    for (const Glyph& g : glyphs) {
        u32(loca, static_cast<std::uint32_t>(glyf.size()));
        glyf.insert(glyf.end(), g.data.begin(), g.data.end());
        pad4(glyf);
        maxPoints = std::max(maxPoints, g.points);
        maxContours = std::max(maxContours, g.contours);
        if (!g.data.empty()) {
            xMin = std::min(xMin, g.xMin);
            yMin = std::min(yMin, g.yMin);
            xMax = std::max(xMax, g.xMax);
            yMax = std::max(yMax, g.yMax);
        }
    }
    u32(loca, static_cast<std::uint32_t>(glyf.size()));

    Bytes head;
    u32(head, 0x00010000);
    u32(head, 0x00013333); // font revision 1.2
    u32(head, 0);          // checkSumAdjustment, filled in last
    u32(head, 0x5F0F3CF5);
    u16(head, 0x000B); // baseline at y 0, left side bearing at x 0, integer scaling
    u16(head, PixelFont::kCell * kPixel);
    zeros(head, 16); // created and modified: none, so the file never changes
    s16(head, xMin);
    s16(head, yMin);
    s16(head, xMax);
    s16(head, yMax);
    u16(head, 0); // macStyle
    u16(head, 8); // lowestRecPPEM
    s16(head, 2);
    s16(head, 1); // long loca offsets
    s16(head, 0);

    Bytes hhea;
    u32(hhea, 0x00010000);
    s16(hhea, kAscent);
    s16(hhea, -kDescent);
    s16(hhea, 0);
    u16(hhea, kAdvance);
    s16(hhea, 0);    // min left side bearing
    s16(hhea, 0);    // min right side bearing
    s16(hhea, xMax); // xMaxExtent
    s16(hhea, 1);    // caret slope rise
    s16(hhea, 0);
    s16(hhea, 0);
    zeros(hhea, 8);
    s16(hhea, 0);
    u16(hhea, kGlyphCount);

    Bytes hmtx;
    for (const Glyph& g : glyphs) {
        u16(hmtx, kAdvance);
        s16(hmtx, g.data.empty() ? 0 : g.xMin);
    }

    Bytes maxp;
    u32(maxp, 0x00010000);
    u16(maxp, kGlyphCount);
    u16(maxp, static_cast<unsigned>(maxPoints));
    u16(maxp, static_cast<unsigned>(maxContours));
    u16(maxp, 0);
    u16(maxp, 0);
    u16(maxp, 2); // maxZones
    zeros(maxp, 16);

    Bytes os2;
    u16(os2, 4);
    s16(os2, kAdvance);
    u16(os2, 400);
    u16(os2, 5);
    u16(os2, 0); // installable
    for (int v :
         {kPixel * 5, kPixel * 5, 0, kPixel, kPixel * 5, kPixel * 5, 0, kPixel * 4, kPixel, kPixel * 3})
        s16(os2, v); // sub- and superscript sizes and offsets, strikeout
    s16(os2, 0);     // family class
    const std::uint8_t panose[10] = {2, 0, 5, 9, 0, 0, 0, 0, 0, 0}; // text, monospaced
    os2.insert(os2.end(), panose, panose + 10);
    u32(os2, 1); // Basic Latin
    u32(os2, 0);
    u32(os2, 0);
    u32(os2, 0);
    for (char c : std::string("PVLN"))
        u8(os2, static_cast<unsigned char>(c));
    u16(os2, 0x0040); // regular
    u16(os2, PixelFont::kFirst);
    u16(os2, PixelFont::kLast);
    s16(os2, kAscent);
    s16(os2, -kDescent);
    s16(os2, 0);
    u16(os2, kAscent);
    u16(os2, kDescent);
    u32(os2, 1); // Latin 1 code page
    u32(os2, 0);
    s16(os2, kPixel * 5); // x height
    s16(os2, kAscent);    // cap height
    u16(os2, 0);
    u16(os2, ' ');
    u16(os2, 1);

    Bytes post;
    u32(post, 0x00030000); // no glyph names
    u32(post, 0);
    s16(post, -kPixel);
    s16(post, kPixel / 2);
    u32(post, 1); // fixed pitch
    zeros(post, 16);

    // Tables sorted by tag, as the directory requires.
    const std::map<std::string, Bytes> tables = {
        {"OS/2", os2},  {"cmap", cmapTable()}, {"glyf", glyf}, {"head", head},        {"hhea", hhea},
        {"hmtx", hmtx}, {"loca", loca},        {"maxp", maxp}, {"name", nameTable()}, {"post", post},
    };
    Bytes font;
    const unsigned count = static_cast<unsigned>(tables.size());
    unsigned power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    u32(font, 0x00010000);
    u16(font, count);
    u16(font, power * 16);
    u16(font, log);
    u16(font, count * 16 - power * 16);
    std::size_t offset = 12 + 16 * tables.size();
    std::size_t headOffset = 0;
    for (const auto& [tag, data] : tables) {
        for (char c : tag)
            u8(font, static_cast<unsigned char>(c));
        u32(font, checksum(data));
        u32(font, static_cast<std::uint32_t>(offset));
        u32(font, static_cast<std::uint32_t>(data.size()));
        if (tag == "head")
            headOffset = offset;
        offset += (data.size() + 3) / 4 * 4;
    }
    for (const auto& entry : tables) {
        font.insert(font.end(), entry.second.begin(), entry.second.end());
        pad4(font);
    }
    const std::uint32_t adjustment = 0xB1B0AFBAu - checksum(font);
    for (int i = 0; i < 4; ++i)
        font[headOffset + 8 + i] = static_cast<std::uint8_t>(adjustment >> (24 - 8 * i));
    return font;
}

bool TrueTypeWriter::write(const std::filesystem::path& file, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    const Bytes font = build();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
    if (!out) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}

} // namespace pavlune::artgen
