// Escaping for listings and error messages.
#include "export/TextEscaping.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

TEST(EscapeText, ControlCharactersQuotesAndBackslashes) {
    EXPECT_EQ(escapeText("\x1B\nOUT0\r\n\t"), "\\x1B\\nOUT0\\r\\n\\t");
    EXPECT_EQ(escapeText(std::string_view("a\0b\x7F", 4)), "a\\x00b\\x7F");
    EXPECT_EQ(escapeText("say \"hi\" \\ bye"), "say \\\"hi\\\" \\\\ bye");
}

TEST(EscapeText, Utf8PassesAndStrayBytesAreEscaped) {
    EXPECT_EQ(escapeText("はこ# = 0"), "はこ# = 0");
    EXPECT_EQ(escapeText("\xFF\xFE"), "\\xFF\\xFE");
    EXPECT_EQ(escapeText("\xE3\x81"), "\\xE3\\x81");          // cut short
    EXPECT_EQ(escapeText("\xC0\xAF"), "\\xC0\\xAF");          // overlong "/"
    EXPECT_EQ(escapeText("\xED\xA0\x80"), "\\xED\\xA0\\x80"); // a surrogate
    EXPECT_EQ(escapeText("\xC2\x9B"), "\\xC2\\x9B");          // C1 control CSI
    EXPECT_EQ(escapeText("\xC2\xA0\xF0\x9F\x98\x80"), "\xC2\xA0\xF0\x9F\x98\x80");
}

TEST(EscapeText, InvisibleFormatAndBidiControlsAreEscaped) {
    EXPECT_EQ(escapeText("\xEF\xBB\xBF"
                         "basic"),
              "\\xEF\\xBB\\xBF"
              "basic");                                                       // byte-order mark
    EXPECT_EQ(escapeText("a\xE2\x80\xAEtxt.exe"), "a\\xE2\\x80\\xAEtxt.exe"); // right-to-left override
    EXPECT_EQ(escapeText("\xE2\x81\xA6x\xE2\x81\xA9"), "\\xE2\\x81\\xA6x\\xE2\\x81\\xA9"); // isolates
    EXPECT_EQ(escapeText("\xE2\x80\x8B\xE2\x80\xA8"),
              "\\xE2\\x80\\x8B\\xE2\\x80\\xA8");                       // zero width, line separator
    EXPECT_EQ(escapeText("\xF3\xA0\x80\x81"), "\\xF3\\xA0\\x80\\x81"); // language tag
    EXPECT_EQ(escapeText("\xE2\x80\x95\xEF\xBC\xA1"), "\xE2\x80\x95\xEF\xBC\xA1") << "neighbours show";
}

// UTF-8 of one code point, and the escape of each of its bytes.
std::string utf8(char32_t c) {
    std::string out;
    const auto add = [&out](unsigned v) { out += static_cast<char>(v); };
    if (c < 0x800) {
        add(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        add(0xE0 | (c >> 12));
        add(0x80 | ((c >> 6) & 0x3F));
    } else {
        add(0xF0 | (c >> 18));
        add(0x80 | ((c >> 12) & 0x3F));
        add(0x80 | ((c >> 6) & 0x3F));
    }
    add(0x80 | (c & 0x3F));
    return out;
}

std::string escapedBytes(const std::string& bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += {'\\', 'x', kHex[u >> 4], kHex[u & 0xF]};
    }
    return out;
}

// Catches a range of format characters cut to its first code point: both
// ends of every range from the Unicode Cf list, and a visible neighbour.
TEST(EscapeText, EveryFormatRangeIsEscapedToItsLastCodePoint) {
    const char32_t hidden[] = {0x00AD,  0x0600,  0x0605,  0x061C,  0x06DD,  0x070F,  0x0890,  0x0891,
                               0x08E2,  0x180E,  0x200B,  0x200F,  0x2028,  0x202E,  0x2060,  0x2064,
                               0x2066,  0x206F,  0xFEFF,  0xFFF9,  0xFFFB,  0x110BD, 0x110CD, 0x13430,
                               0x1343F, 0x1BCA0, 0x1BCA3, 0x1D173, 0x1D17A, 0xE0001, 0xE0020, 0xE007F};
    for (const char32_t c : hidden) {
        EXPECT_EQ(escapeText(utf8(c)), escapedBytes(utf8(c))) << std::hex << static_cast<unsigned>(c);
    }
    const char32_t shown[] = {0x00AE, 0x0606, 0x2010, 0x2027, 0x202F, 0x2070, 0xFFFC, 0x1D17B};
    for (const char32_t c : shown) {
        EXPECT_EQ(escapeText(utf8(c)), utf8(c)) << std::hex << static_cast<unsigned>(c);
    }
}

TEST(HexBytes, UpperCasePairsSeparatedBySpaces) {
    EXPECT_EQ(hexBytes(std::string_view("\x0A\x00\xFF", 3)), "0A 00 FF");
    EXPECT_EQ(hexBytes(""), "");
}

} // namespace
} // namespace pavlune
