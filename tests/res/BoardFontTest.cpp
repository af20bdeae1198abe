// The board font loads through fontconfig and FreeType, covers printable
// ASCII and is monospaced.
#include "tests/res/ResourceFiles.h"

#include <gtest/gtest.h>

// FreeType and fontconfig.h first: fcfreetype.h builds on both.
// clang-format off
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>
#include <fontconfig/fcfreetype.h>
// clang-format on

namespace pavlune::restest {
namespace {

const std::filesystem::path kFont = sourceRoot() / "fonts" / "PavluneBoard-1.2.ttf";

TEST(BoardFont, FontconfigSeesAMonospacedFamilyWithPrintableAscii) {
    int count = 0;
    FcPattern* pattern = FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(kFont.c_str()), 0, nullptr, &count);
    ASSERT_NE(pattern, nullptr);
    FcChar8* family = nullptr;
    ASSERT_EQ(FcPatternGetString(pattern, FC_FAMILY, 0, &family), FcResultMatch);
    EXPECT_STREQ(reinterpret_cast<const char*>(family), "PavluneBoard");
    int spacing = 0;
    ASSERT_EQ(FcPatternGetInteger(pattern, FC_SPACING, 0, &spacing), FcResultMatch);
    EXPECT_EQ(spacing, FC_MONO);
    FcCharSet* charset = nullptr;
    ASSERT_EQ(FcPatternGetCharSet(pattern, FC_CHARSET, 0, &charset), FcResultMatch);
    for (FcChar32 c = 0x20; c <= 0x7E; ++c)
        EXPECT_TRUE(FcCharSetHasChar(charset, c)) << c;
    EXPECT_FALSE(FcCharSetHasChar(charset, 0x3042)); // no kana: those come from the system
    FcPatternDestroy(pattern);
}

TEST(BoardFont, EveryPrintableGlyphRendersOnOneAdvance) {
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, kFont.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 16), 0);
    for (FT_ULong c = 0x21; c <= 0x7E; ++c) {
        SCOPED_TRACE(static_cast<char>(c));
        ASSERT_NE(FT_Get_Char_Index(face, c), 0u);
        ASSERT_EQ(FT_Load_Char(face, c, FT_LOAD_RENDER), 0);
        EXPECT_EQ(face->glyph->advance.x, 16 * 64); // 8 pixels of 2: the em is 8 pixels
        EXPECT_GT(face->glyph->bitmap.width, 0u);
        EXPECT_GT(face->glyph->bitmap.rows, 0u);
    }
    ASSERT_EQ(FT_Load_Char(face, ' ', FT_LOAD_RENDER), 0);
    EXPECT_EQ(face->glyph->advance.x, 16 * 64);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

} // namespace
} // namespace pavlune::restest
