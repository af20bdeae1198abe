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
    EXPECT_EQ(escapeText("\xEF\xBB\xBF" "basic"), "\\xEF\\xBB\\xBF" "basic");        // byte-order mark
    EXPECT_EQ(escapeText("a\xE2\x80\xAEtxt.exe"), "a\\xE2\\x80\\xAEtxt.exe");       // right-to-left override
    EXPECT_EQ(escapeText("\xE2\x81\xA6x\xE2\x81\xA9"), "\\xE2\\x81\\xA6x\\xE2\\x81\\xA9"); // isolates
    EXPECT_EQ(escapeText("\xE2\x80\x8B\xE2\x80\xA8"), "\\xE2\\x80\\x8B\\xE2\\x80\\xA8"); // zero width, line separator
    EXPECT_EQ(escapeText("\xF3\xA0\x80\x81"), "\\xF3\\xA0\\x80\\x81");               // language tag
    EXPECT_EQ(escapeText("\xE2\x80\x95\xEF\xBC\xA1"), "\xE2\x80\x95\xEF\xBC\xA1") << "neighbours show";
}

TEST(HexBytes, UpperCasePairsSeparatedBySpaces) {
    EXPECT_EQ(hexBytes(std::string_view("\x0A\x00\xFF", 3)), "0A 00 FF");
    EXPECT_EQ(hexBytes(""), "");
}

} // namespace
} // namespace pavlune
