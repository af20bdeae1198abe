// The command line of pavlune-export.
#include "export/ExportOptions.h"

#include "catalogue/Dialect.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

struct Parsed {
    bool ok = false;
    ExportOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> arguments) {
    Parsed result;
    result.ok = ExportArgumentParser().parse(arguments, result.options, result.error);
    return result;
}

TEST(ExportArguments, DialectListingAndFileInAnyOrder) {
    const Parsed a = parse({"--dialect", "que", "--listing", "prog.txt"});
    ASSERT_TRUE(a.ok) << a.error;
    EXPECT_EQ(a.options.dialect, que);
    EXPECT_TRUE(a.options.listing);
    EXPECT_EQ(a.options.file, "prog.txt");

    const Parsed b = parse({"-", "--dialect=latte"});
    ASSERT_TRUE(b.ok) << b.error;
    EXPECT_EQ(b.options.dialect, latte);
    EXPECT_FALSE(b.options.listing);
    EXPECT_EQ(b.options.file, "-");

    // After "--" a name that looks like an option is a FILE.
    const Parsed c = parse({"--dialect", "jam", "--", "--listing"});
    ASSERT_TRUE(c.ok) << c.error;
    EXPECT_EQ(c.options.file, "--listing");
    EXPECT_FALSE(c.options.listing);
}

TEST(ExportArguments, MistakesAreOneLineErrors) {
    EXPECT_EQ(parse({"--dialect", "basic", "f"}).error,
              "unknown dialect \"basic\" (expected jam, latte or que)");
    EXPECT_EQ(parse({"--dialect"}).error, "option --dialect needs a value (jam|latte|que)");
    EXPECT_EQ(parse({"--dialect=", "f"}).error, "unknown dialect \"\" (expected jam, latte or que)");
    EXPECT_EQ(parse({"--listing=yes"}).error, "option --listing takes no value");
    EXPECT_EQ(parse({"--frobnicate", "/dev/ttyUSB0"}).error, "unknown option \"--frobnicate\"");
    EXPECT_EQ(parse({"-x"}).error, "unknown option \"-x\"");
    EXPECT_EQ(parse({"a.txt", "b.txt"}).error, "more than one FILE: \"b.txt\"");
    EXPECT_FALSE(parse({"--dialect", "JAM", "f"}).ok);
}

TEST(ExportArguments, UsageNamesEveryOption) {
    const std::string usage = ExportArgumentParser().usage();
    for (const char* option : {"--dialect jam|latte|que", "--listing", "--help"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

} // namespace
} // namespace pavlune
