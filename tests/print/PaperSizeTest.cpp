// The paper a printout is laid out on follows the user's locale: Letter in
// the Americas' Letter territories, A4 everywhere else.
#include "print/PaperSize.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

using pavlune::PaperSize;

// ISO 216 and ANSI sizes in points, written out by hand.
constexpr double kA4Width = 595.2756;
constexpr double kA4Height = 841.8898;
constexpr double kLetterWidth = 612;
constexpr double kLetterHeight = 792;

bool isLetter(const PaperSize& paper) {
    return std::abs(paper.width - kLetterWidth) < 0.01 && std::abs(paper.height - kLetterHeight) < 0.01;
}

bool isA4(const PaperSize& paper) {
    return std::abs(paper.width - kA4Width) < 0.01 && std::abs(paper.height - kA4Height) < 0.01;
}

TEST(PaperSize, TheLocalesTerritoryChoosesLetterOrA4) {
    struct Case {
        const char* locale;
        bool letter;
    };
    const Case cases[] = {
        {"en_US.UTF-8", true},
        {"en_US", true},
        {"fr_CA.UTF-8", true},
        {"en_CA@euro", true},
        {"es_MX.UTF-8", true},
        {"ja_JP.UTF-8", false},
        {"en_GB.UTF-8", false},
        {"de_DE@euro", false},
        {"C", false},
        {"POSIX", false},
        {"", false},
        {"C.UTF-8", false},
        // The territory is the part after the underscore, not any "US" in the name.
        {"US", false},
        {"en_USA.UTF-8", false},
        {"us_JP", false},
    };
    for (const Case& c : cases) {
        const PaperSize paper = PaperSize::forLocale(c.locale);
        EXPECT_TRUE(c.letter ? isLetter(paper) : isA4(paper)) << c.locale;
    }
}

TEST(PaperSize, TheEnvironmentIsReadAsTheCLibraryReadsIt) {
    struct Case {
        const char* all;
        const char* paper;
        const char* lang;
        bool letter;
    };
    const Case cases[] = {
        {nullptr, nullptr, "en_US.UTF-8", true},
        {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", false}, // LC_PAPER before LANG
        {"en_GB.UTF-8", "en_US.UTF-8", nullptr, false}, // LC_ALL before LC_PAPER
        {"", "en_CA.UTF-8", "ja_JP.UTF-8", true},       // an empty value is not set
        {nullptr, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        for (const auto& [name, value] :
             {std::pair{"LC_ALL", c.all}, {"LC_PAPER", c.paper}, {"LANG", c.lang}}) {
            if (value) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        }
        const PaperSize paper = PaperSize::fromEnvironment();
        EXPECT_TRUE(c.letter ? isLetter(paper) : isA4(paper))
            << (c.all ? c.all : "-") << ' ' << (c.paper ? c.paper : "-") << ' ' << (c.lang ? c.lang : "-");
    }
}

} // namespace
