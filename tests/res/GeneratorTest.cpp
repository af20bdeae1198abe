// The committed pictures are what the generator draws today, byte for byte,
// and the generator's own pieces (pixel font outlines, TrueType file, table
// splicing) hold together.
#include "tools/artgen/Generator.h"

#include "tests/support/TestPaths.h"
#include "tools/artgen/CardArt.h"
#include "tools/artgen/CardFacts.h"
#include "tools/artgen/PixelFont.h"
#include "tools/artgen/TrueTypeWriter.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace pavlune::artgen {
namespace {

std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string tableBlock(const std::string& readme) {
    const auto begin = readme.find(Generator::kTableBegin);
    const auto end = readme.find(Generator::kTableEnd);
    return begin == std::string::npos || end == std::string::npos ? "" : readme.substr(begin, end - begin);
}

TEST(Generator, ReproducesTheCommittedFilesByteForByte) {
    char pattern[] = "/tmp/pavlune-artgen-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path root = pattern;
    std::string error;
    Generator::Options options;
    options.root = root;
    const int written = Generator::run(options, error);
    ASSERT_EQ(written, 190) << error; // 181 pictures, 8 icon sizes and the font
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README.md")
            continue;
        const auto relative = std::filesystem::relative(entry.path(), root);
        SCOPED_TRACE(relative.string());
        EXPECT_EQ(readAll(entry.path()), readAll(pavlune::test::sourceRoot() / relative))
            << "out of date: run pavlune-artgen and commit the result";
        ++compared;
    }
    EXPECT_EQ(compared, written);
    const std::string committed = readAll(pavlune::test::sourceRoot() / "res" / "README.md");
    EXPECT_FALSE(tableBlock(committed).empty());
    EXPECT_EQ(tableBlock(readAll(root / "res" / "README.md")), tableBlock(committed));
    std::filesystem::remove_all(root);
}

TEST(Generator, SplicesTheTableBetweenItsMarkersOrAppendsIt) {
    const std::string table = "| path | w |\n";
    const std::string fresh = Generator::spliceTable("# Pictures\nintro", table);
    EXPECT_EQ(fresh, "# Pictures\nintro\n\n" + std::string(Generator::kTableBegin) + "\n" + table +
                         Generator::kTableEnd + "\n");
    const std::string again = Generator::spliceTable(fresh + "after\n", "| new |\n");
    EXPECT_NE(again.find("| new |"), std::string::npos);
    EXPECT_EQ(again.find("| path | w |"), std::string::npos);
    EXPECT_NE(again.find("intro"), std::string::npos);
    EXPECT_NE(again.find("after"), std::string::npos);
}

TEST(PixelFont, BlocksCoverEveryPixelOnce) {
    for (char c = 0x20; c <= 0x7E; ++c) {
        SCOPED_TRACE(c);
        const PixelFont::Bitmap& bitmap = PixelFont::glyph(c);
        int covered[PixelFont::kCell][PixelFont::kCell] = {};
        for (const auto& b : PixelFont::blocks(bitmap))
            for (int y = b.y; y < b.y + b.h; ++y)
                for (int x = b.x; x < b.x + b.w; ++x)
                    ++covered[y][x];
        for (int y = 0; y < PixelFont::kCell; ++y)
            for (int x = 0; x < PixelFont::kCell; ++x)
                EXPECT_EQ(covered[y][x], (bitmap[y] & (0x80 >> x)) ? 1 : 0) << x << "," << y;
    }
    // glyphs differ from each other and from the fallback box
    EXPECT_NE(PixelFont::glyph('0'), PixelFont::glyph('O'));
    EXPECT_NE(PixelFont::glyph('l'), PixelFont::glyph('1'));
    EXPECT_NE(PixelFont::glyph('A'), PixelFont::glyph('\x7F'));
}

TEST(TrueTypeWriter, TableAndFileChecksumsAreRight) {
    const std::vector<std::uint8_t> font = TrueTypeWriter::build();
    auto be32 = [&](std::size_t at) {
        return (std::uint32_t(font[at]) << 24) | (std::uint32_t(font[at + 1]) << 16) |
               (std::uint32_t(font[at + 2]) << 8) | font[at + 3];
    };
    auto sum = [&](std::size_t from, std::size_t length) {
        std::uint32_t s = 0;
        for (std::size_t i = 0; i < length; i += 4) {
            std::uint32_t word = 0;
            for (std::size_t k = 0; k < 4; ++k)
                word = (word << 8) | (i + k < length ? font[from + i + k] : 0);
            s += word;
        }
        return s;
    };
    ASSERT_GE(font.size(), 12u);
    const unsigned tables = (font[4] << 8) | font[5];
    EXPECT_EQ(tables, 10u);
    std::string previous;
    for (unsigned i = 0; i < tables; ++i) {
        const std::size_t record = 12 + 16 * i;
        const std::string tag(font.begin() + static_cast<long>(record),
                              font.begin() + static_cast<long>(record) + 4);
        EXPECT_LT(previous, tag); // sorted
        previous = tag;
        const std::uint32_t offset = be32(record + 8), length = be32(record + 12);
        ASSERT_LE(offset + length, font.size()) << tag;
        EXPECT_EQ(offset % 4, 0u) << tag;
        if (tag != "head") {
            EXPECT_EQ(sum(offset, length), be32(record + 4)) << tag;
        }
    }
    EXPECT_EQ(sum(0, font.size()), 0xB1B0AFBAu);
    EXPECT_EQ(TrueTypeWriter::build(), font); // no clock, no randomness
}

} // namespace
} // namespace pavlune::artgen

namespace pavlune::artgen {
namespace {

TEST(CardArtTable, HasOneDesignForEachCatalogueCardAndNoMore) {
    const std::vector<CardFacts> cards = CardFacts::fromCatalogue();
    ASSERT_EQ(cards.size(), 43u);
    EXPECT_EQ(CardArtTable::all().size(), cards.size());
    for (const CardFacts& facts : cards) {
        const CardArt* art = CardArtTable::find(facts.set, facts.index);
        ASSERT_NE(art, nullptr) << facts.facePath;
        EXPECT_FALSE(art->caption.empty()) << facts.facePath;
        // number cards get their own layout; the design must agree that they take a number
        if (facts.numberCard[0]) {
            EXPECT_LT(art->number, 0) << facts.facePath;
        }
    }
}

} // namespace
} // namespace pavlune::artgen
