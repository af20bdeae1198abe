// Property lists beyond the reader's limits are refused before libplist
// recurses through them, and the elements that Value has no kind for come
// back out as the elements they were.
#include "engine/base/FileUtils.h"
#include "engine/base/PlistCodec.h"
#include "tests/support/BinaryPlist.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/UnreadableFile.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;
using engine::FileUtils;
using engine::PlistCodec;
using engine::Value;
using engine::ValueVector;
using Verdict = engine::PlistGuard::Verdict;

namespace {

Verdict verdictOf(const std::string& bytes) {
    Verdict verdict = Verdict::Fits;
    PlistCodec::parse(bytes, &verdict);
    return verdict;
}

// `xml` with `inside` put into its innermost array.
std::string innermost(std::string xml, const std::string& inside) {
    return xml.insert(xml.find("</array>"), inside);
}

TEST(PlistLimitsTest, NestingIsRefusedBeyondSixtyFourLevels) {
    // In XML every element is a level, <plist> included; in a binary file
    // only the collections are.
    const struct {
        std::string bytes;
        Verdict expected;
    } cases[] = {
        {nestedArraysXml(63), Verdict::Fits},
        {nestedArraysXml(64), Verdict::TooDeep},
        {nestedArraysXml(100000), Verdict::TooDeep},
        {nestedArraysBinary(64), Verdict::Fits},
        {nestedArraysBinary(65), Verdict::TooDeep},
        {nestedArraysBinary(100000), Verdict::TooDeep},
        // Self-closing elements, comments and CDATA open no level; a quoted "/>" does not close one.
        {innermost(nestedArraysXml(62), "<!-- <array> --><array/><string><![CDATA[<array>]]></string>"),
         Verdict::Fits},
        {innermost(nestedArraysXml(63), "<array a='/>'></array>"), Verdict::TooDeep},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(verdictOf(c.bytes), c.expected) << c.bytes.substr(0, 120);
    }
}

TEST(PlistLimitsTest, DisguisedDeepFilesAreRefusedNotRecursedInto) {
    for (const auto& form : disguisedDeepPlists()) {
        Verdict verdict = Verdict::Fits;
        EXPECT_FALSE(PlistCodec::parse(form.bytes, &verdict).has_value()) << form.name;
        EXPECT_EQ(verdict, Verdict::TooDeep) << form.name;
    }
}

TEST(PlistLimitsTest, MarkupThatOnlyLooksDeepIsRead) {
    // The same heads over a shallow body still read, and a deep body hidden
    // from the scanner entirely would be refused by the reader itself.
    const std::string subset = "<!DOCTYPE plist [ <!-- <dict> [ --> <!ENTITY c \"<![CDATA[<array>\"> ]>";
    const auto read =
        PlistCodec::parse(subset + "<plist version='1.0'><array><string><![CDATA[<array>]]>"
                                   "</string><!-- <dict> --><integer>-3</integer></array></plist>");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, Value(ValueVector{Value("<array>"), Value(-3)}));
}

TEST(PlistLimitsTest, ShallowFilesWithinTheLimitsReadAsBefore) {
    const auto xml = PlistCodec::parse(nestedArraysXml(63));
    ASSERT_TRUE(xml.has_value());
    const Value* level = &*xml;
    int depth = 1;
    while (!level->asValueVector().empty()) {
        level = &level->asValueVector().front();
        ++depth;
    }
    EXPECT_EQ(depth, 63);

    // [true, "ab", 7, [ ]] by hand.
    BinaryPlist plist;
    plist.add(BinaryPlist::array({1, 2, 3, 4}));
    plist.add("\x09");
    plist.add(BinaryPlist::ascii("ab"));
    plist.add(BinaryPlist::integer(7));
    plist.add(BinaryPlist::array({}));
    const auto binary = PlistCodec::parse(plist.bytes());
    ASSERT_TRUE(binary.has_value());
    EXPECT_EQ(*binary, Value(ValueVector{Value(true), Value("ab"), Value(7), Value(ValueVector{})}));
}

TEST(PlistLimitsTest, ABinaryFileThatUnfoldsIntoTooManyValuesIsRefused) {
    // Each array names the next one twice: 40 objects unfold into 2^40 values.
    BinaryPlist plist;
    for (std::uint32_t i = 0; i < 40; ++i) {
        plist.add(BinaryPlist::array({i + 1, i + 1}));
    }
    plist.add("\x08");
    EXPECT_EQ(verdictOf(plist.bytes()), Verdict::TooManyElements);
}

TEST(PlistLimitsTest, ABinaryFileThatUnfoldsBeyondTheTotalIsRefused) {
    // 14^4 copies of 2,000 bytes (77 MB) from a file of 2 KB; 14^3 copies of 400 bytes (1 MB) fit.
    const std::string amplifying = sharedStringsBinary(4, 2000);
    ASSERT_LT(amplifying.size(), 4096u);
    EXPECT_EQ(verdictOf(amplifying), Verdict::TooLarge);
    EXPECT_EQ(verdictOf(sharedStringsBinary(3, 400)), Verdict::Fits);
}

TEST(PlistLimitsTest, StringsAndReferencesBeyondTheFileAreCaught) {
    const std::size_t limit = engine::PlistGuard::Limits().maxStringBytes;
    BinaryPlist longString;
    longString.add(BinaryPlist::array({1}));
    longString.add(BinaryPlist::ascii(std::string(limit + 1, 'a')));
    EXPECT_EQ(verdictOf(longString.bytes()), Verdict::StringTooLong);

    BinaryPlist dangling;
    dangling.add(BinaryPlist::array({7}));
    EXPECT_EQ(verdictOf(dangling.bytes()), Verdict::NotAPlist);

    const std::string longText =
        "<plist><array><string>" + std::string(limit + 1, 'a') + "</string></array></plist>";
    EXPECT_EQ(verdictOf(longText), Verdict::StringTooLong);
}

TEST(PlistLimitsTest, DataAndDatesAreWrittenBackAsTheyWere) {
    const std::string xml = "<plist version=\"1.0\"><array><data>AAEC/w==</data>"
                            "<date>2026-01-02T03:04:05Z</date><string>AAEC/w==</string></array></plist>";
    const auto read = PlistCodec::parse(xml);
    ASSERT_TRUE(read.has_value());
    const ValueVector& items = read->asValueVector();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].asString(), std::string("\x00\x01\x02\xff", 4)); // still reads as its bytes
    EXPECT_EQ(items[1].asString(), "2026-01-02T03:04:05Z");

    const std::string written = PlistCodec::toXml(*read);
    EXPECT_NE(written.find("<data>"), std::string::npos) << written;
    EXPECT_NE(written.find("AAEC/w=="), written.rfind("AAEC/w==")) << written; // in the data and the string
    EXPECT_NE(written.find("<date>2026-01-02T03:04:05Z</date>"), std::string::npos) << written;
    EXPECT_NE(written.find("<string>AAEC/w==</string>"), std::string::npos) << written;
    // A copy keeps the form.
    const Value copy = items[0];
    EXPECT_EQ(copy.getTextForm(), Value::TextForm::DATA);
}

TEST(PlistLimitsTest, ControlCharactersAreWrittenAsReplacementCharactersNotCut) {
    const std::string text("a\x01"
                           "b\0c\td",
                           7);
    const std::string written = PlistCodec::toXml(engine::ValueMap{{text, Value(text)}});
    EXPECT_EQ(written.find('\x01'), std::string::npos);
    const auto read = PlistCodec::parse(written);
    ASSERT_TRUE(read.has_value()) << written;
    const std::string expected = "a\xEF\xBF\xBD"
                                 "b\xEF\xBF\xBD"
                                 "c\td";
    EXPECT_EQ(*read, Value(engine::ValueMap{{expected, Value(expected)}}));
}

class PlistFileLimitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-plist-limits-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string path(const std::string& name) const { return (folder / name).string(); }
    fs::path folder;
};

TEST_F(PlistFileLimitsTest, AFileBeyondTheSizeLimitIsDamagedWithoutBeingRead) {
    // A sparse file: reading it whole would take its full size in memory.
    const std::string big = path("big.plist");
    std::ofstream(big) << "<plist><array>";
    fs::resize_file(big, engine::PlistGuard::Limits().maxBytes + 1);
    const auto read = FileUtils::getInstance()->readPropertyListFile(big);
    EXPECT_EQ(read.status, FileUtils::PlistRead::Status::Damaged);
    EXPECT_EQ(read.verdict, Verdict::TooLarge);

    const auto bytes = FileUtils::getInstance()->readFileUpTo(big, 100);
    EXPECT_EQ(bytes.status, FileUtils::FileRead::Status::TooLarge);
    EXPECT_TRUE(bytes.bytes.empty());
}

TEST_F(PlistFileLimitsTest, AFileThatCannotBeOpenedIsUnreadableNotDamaged) {
    const std::string file = path("locked.plist");
    ASSERT_TRUE(FileUtils::getInstance()->writeValueVectorToFile(ValueVector{Value(1)}, file));
    FileUtils::PlistRead read;
    {
        UnreadableFile locked(file);
        read = FileUtils::getInstance()->readPropertyListFile(file);
    }
    EXPECT_EQ(read.status, FileUtils::PlistRead::Status::Unreadable);
    EXPECT_EQ(read.error, EACCES);
    EXPECT_EQ(FileUtils::getInstance()->readPropertyListFile(path("missing.plist")).status,
              FileUtils::PlistRead::Status::Missing);
    EXPECT_EQ(FileUtils::getInstance()->readPropertyListFile(file).status,
              FileUtils::PlistRead::Status::Read);
}

} // namespace
