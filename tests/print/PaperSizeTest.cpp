// The paper a printout is laid out on follows the user's locale: Letter in
// the Americas' Letter territories, A4 everywhere else.
#include "print/PaperSize.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using pavlune::PaperSize;

// ANSI Letter and ISO A4 in points, written out by hand.
::testing::AssertionResult isLetter(const PaperSize& paper, bool letter) {
    const double width = letter ? 612 : 595.2756;
    const double height = letter ? 792 : 841.8898;
    if (std::abs(paper.width - width) < 0.01 && std::abs(paper.height - height) < 0.01) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << paper.width << " x " << paper.height;
}

TEST(PaperSize, TheLocalesTerritoryChoosesLetterOrA4) {
    for (const char* locale : {"en_US.UTF-8", "en_US", "fr_CA.UTF-8", "en_CA@euro", "es_MX.UTF-8"}) {
        EXPECT_TRUE(isLetter(PaperSize::forLocale(locale), true)) << locale;
    }
    // The territory is the part after the underscore, not any "US" in the name.
    for (const char* locale : {"ja_JP.UTF-8", "en_GB.UTF-8", "de_DE@euro", "C", "POSIX", "", "C.UTF-8", "US",
                               "en_USA.UTF-8", "us_JP"}) {
        EXPECT_TRUE(isLetter(PaperSize::forLocale(locale), false)) << locale;
    }
}

TEST(PaperSize, TheEnvironmentIsReadAsTheCLibraryReadsIt) {
    const struct {
        const char* all;
        const char* paper;
        const char* lang;
        bool letter;
    } cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", true},
        {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", false}, // LC_PAPER before LANG
        {"en_GB.UTF-8", "en_US.UTF-8", nullptr, false}, // LC_ALL before LC_PAPER
        {"", "en_CA.UTF-8", "ja_JP.UTF-8", true},       // an empty value is not set
        {nullptr, nullptr, nullptr, false},
    };
    for (const auto& c : cases) {
        for (const auto& [name, value] :
             {std::pair{"LC_ALL", c.all}, {"LC_PAPER", c.paper}, {"LANG", c.lang}}) {
            value ? setenv(name, value, 1) : unsetenv(name);
        }
        EXPECT_TRUE(isLetter(PaperSize::fromEnvironment(), c.letter)) << (c.paper ? c.paper : "-");
    }
}

} // namespace
