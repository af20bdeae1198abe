// pavlune-export --print: the golden program as paper cards, read back with
// poppler's tools (page count, words and their places, the pictures drawn)
// and rendered, its first card compared with the card picture's own pixels.
#include "tests/support/CommandOutput.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using pavlune::test::CommandOutput;
using pavlune::test::runCommand;

const std::string kTool = pavlune::test::binaryDir().string() + "/bin/pavlune-export";
const fs::path kSource = pavlune::test::sourceRoot();
// 22 cards on rows 1 to 23; row 12 is empty.
const fs::path kGolden = kSource / "tests/program/golden/full.txt";
constexpr double kMillimetre = 72 / 25.4;

// A word as pdftotext -bbox gives it, in points from the page's top left.
struct Word {
    int page = 0;
    std::string text;
    double left = 0, top = 0, right = 0, bottom = 0;
};

std::vector<Word> wordsOf(const fs::path& pdf) {
    const std::string html = runCommand("pdftotext -bbox '" + pdf.string() + "' -").out;
    std::vector<Word> words;
    int page = 0;
    const std::regex item(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), item); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        if (m.str(0) == "<page ") {
            ++page;
            continue;
        }
        words.push_back({page, m.str(5), std::stod(m.str(1)), std::stod(m.str(2)), std::stod(m.str(3)),
                         std::stod(m.str(4))});
    }
    return words;
}

// The pictures drawn on each page (their masks left out), by page number.
std::map<int, int> picturesPerPage(const fs::path& pdf) {
    std::map<int, int> pictures;
    const std::string list = runCommand("pdfimages -list '" + pdf.string() + "'").out;
    const std::regex row(R"(^\s*(\d+)\s+\d+\s+image\s)", std::regex::multiline);
    for (auto it = std::sregex_iterator(list.begin(), list.end(), row); it != std::sregex_iterator(); ++it) {
        ++pictures[std::stoi(it->str(1))];
    }
    return pictures;
}

// Pixels as ImageMagick or pdftoppm write them: binary PPM.
struct Pixels {
    int width = 0;
    int height = 0;
    std::string rgb;

    const unsigned char* at(int x, int y) const {
        return reinterpret_cast<const unsigned char*>(rgb.data()) +
               3 * (static_cast<std::size_t>(y) * width + x);
    }
};

Pixels readPpm(const std::string& bytes) {
    Pixels pixels;
    int maxValue = 0;
    int consumed = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &pixels.width, &pixels.height, &maxValue, &consumed) ==
        3) {
        pixels.rgb = bytes.substr(static_cast<std::size_t>(consumed) + 1);
    }
    if (pixels.rgb.size() != 3u * pixels.width * pixels.height) {
        pixels = {};
    }
    return pixels;
}

class PrintTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-print-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Prints the golden program with the given locale; the PDF's path.
    fs::path print(const std::string& locale) {
        const fs::path pdf = dir_ / ("cards-" + locale + ".pdf");
        const CommandOutput run =
            runCommand("env -u LC_ALL -u LC_PAPER LANG=" + locale + " '" + kTool + "' --print '" +
                       pdf.string() + "' '" + kGolden.string() + "' 2>&1");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "");
        return pdf;
    }

    fs::path dir_;
};

TEST_F(PrintTool, RowsInOrderThenEveryUsedCardToCutOut) {
    const fs::path pdf = print("ja_JP.UTF-8");
    // A4 holds six rows of 36 mm cards (four pages for 23 rows) and a 3 x 7
    // grid of cut-out cards (two pages for 22).
    const std::string info = runCommand("pdfinfo '" + pdf.string() + "'").out;
    EXPECT_NE(info.find("Pages:           6\n"), std::string::npos) << info;
    EXPECT_NE(info.find("(A4)"), std::string::npos) << info;
    EXPECT_EQ(picturesPerPage(pdf), (std::map<int, int>{{1, 6}, {2, 5}, {3, 6}, {4, 5}, {5, 21}, {6, 1}}));

    // Every line number once, in order down the pages, the empty row's too.
    std::vector<std::string> numbers;
    std::vector<std::string> typed;
    const std::vector<Word> words = wordsOf(pdf);
    // The heading's line (the title's, "full") holds the page numbers.
    std::map<int, double> headingBottom;
    for (const Word& word : words) {
        if (word.text == "full") {
            headingBottom[word.page] = word.bottom;
        }
    }
    EXPECT_EQ(headingBottom.size(), 6u);
    for (const Word& word : words) {
        if (word.top < headingBottom[word.page]) {
            continue;
        }
        if (word.page <= 4 && std::regex_match(word.text, std::regex(R"(\d+0)"))) {
            numbers.push_back(word.text);
        }
        if (word.text == "2.5" || word.text == "4") {
            typed.push_back(std::to_string(word.page) + ":" + word.text);
        }
    }
    std::vector<std::string> expected;
    for (int line = 10; line <= 230; line += 10) {
        expected.push_back(std::to_string(line));
    }
    EXPECT_EQ(numbers, expected);
    // The typed numbers in both boxes of their card's front, on the rows (30
    // on page 1, 140 on page 3) and on the cut-out cards.
    EXPECT_EQ(typed,
              (std::vector<std::string>{"1:2.5", "1:2.5", "3:4", "3:4", "5:2.5", "5:2.5", "5:4", "5:4"}));
}

TEST_F(PrintTool, LetterPaperWhereTheLocaleUsesIt) {
    const std::string info = runCommand("pdfinfo '" + print("en_US.UTF-8").string() + "'").out;
    EXPECT_NE(info.find("612 x 792 pts (letter)"), std::string::npos) << info;
}

TEST_F(PrintTool, TheFirstRowShowsItsNumberBesideTheCardPictureAtRealSize) {
    const fs::path pdf = print("C");
    // Where poppler finds the first picture, in points (zoom 1).
    const std::string xml = runCommand("cd '" + dir_.string() +
                                       "' && pdftohtml -xml -zoom 1 -f 1 -l 1 -stdout '" + pdf.string() + "'")
                                .out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        xml, m, std::regex(R"re(<image top="(\d+)" left="(\d+)" width="(\d+)" height="(\d+)")re")))
        << xml;
    const double top = std::stod(m.str(1));
    const double left = std::stod(m.str(2));
    EXPECT_NEAR(std::stod(m.str(3)), 60 * kMillimetre, 1.0);
    EXPECT_NEAR(std::stod(m.str(4)), 36 * kMillimetre, 1.0);

    // "10" left of the card, level with it.
    const std::vector<Word> words = wordsOf(pdf);
    const auto ten = std::find_if(words.begin(), words.end(), [](const Word& w) { return w.text == "10"; });
    ASSERT_NE(ten, words.end());
    EXPECT_LT(ten->right, left);
    EXPECT_NEAR((ten->top + ten->bottom) / 2, top + 18 * kMillimetre, 3 * kMillimetre);

    // Rendered so that the card has its picture's own 400 x 240 pixels.
    const double dpi = 400 / (60 / 25.4);
    const double scale = dpi / 72;
    const Pixels page =
        readPpm(runCommand("pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 '" + pdf.string() + "'").out);
    ASSERT_GT(page.width, 0);
    const auto picture = [](const std::string& resource) {
        return readPpm(
            runCommand("convert '" + (kSource / resource).string() + "' -background white -flatten ppm:-")
                .out);
    };
    // Row 1 holds card 0 of the full set: the five-second wait.
    const Pixels wait5 = picture("res/cards/full/r_wait5.png");
    const Pixels wait10 = picture("res/cards/full/r_wait10.png");
    ASSERT_EQ(wait5.width, 400);
    ASSERT_EQ(wait10.width, 400);

    // Mean colours of 40 x 40 blocks inside the card: a placement rounded to
    // whole points moves a block by a pixel or two, hardly its mean.
    const auto largestBlockDifference = [&](const Pixels& card) {
        long largest = 0;
        for (int by = 20; by < 220; by += 40) {
            for (int bx = 20; bx < 380; bx += 40) {
                for (int c = 0; c < 3; ++c) {
                    long difference = 0;
                    for (int y = by; y < by + 40; ++y) {
                        for (int x = bx; x < bx + 40; ++x) {
                            const int shownX = static_cast<int>(left * scale) + x;
                            difference +=
                                page.at(shownX, static_cast<int>(top * scale) + y)[c] - card.at(x, y)[c];
                        }
                    }
                    largest = std::max(largest, std::abs(difference) / 1600);
                }
            }
        }
        return largest;
    };
    EXPECT_LE(largestBlockDifference(wait5), 6);
    // The neighbouring card differs from what is shown, so the comparison can tell.
    EXPECT_GT(largestBlockDifference(wait10), 20);

    // The line number is printed in ink (the row's plate is light grey).
    int ink = 0;
    for (int y = static_cast<int>(ten->top * scale); y < static_cast<int>(ten->bottom * scale); ++y) {
        for (int x = static_cast<int>(ten->left * scale); x < static_cast<int>(ten->right * scale); ++x) {
            ink += page.at(x, y)[0] < 64 && page.at(x, y)[1] < 64 && page.at(x, y)[2] < 64 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 200);
}

TEST_F(PrintTool, ASavedProgramIsTitledAsTheListNamesIt) {
    fs::create_directories(dir_ / "data/PavluneApps");
    fs::copy(kSource / "tests/store/data/plistlib_store/savedatas", dir_ / "data/PavluneApps/savedatas");
    const fs::path pdf = dir_ / "saved.pdf";
    ASSERT_EQ(runCommand("XDG_DATA_HOME='" + (dir_ / "data").string() + "' '" + kTool + "' --print '" +
                         pdf.string() + "' --program 5")
                  .status,
              0);
    const std::string info = runCommand("pdfinfo '" + pdf.string() + "'").out;
    EXPECT_NE(info.find("Title:           ロボットカー & <LED>\n"), std::string::npos) << info;
}

TEST_F(PrintTool, AnUnwritablePdfIsReportedAndExitsWithAnError) {
    const CommandOutput run = runCommand("'" + kTool + "' --print '" + (dir_ / "missing/cards.pdf").string() +
                                         "' '" + kGolden.string() + "' 2>&1");
    EXPECT_EQ(WEXITSTATUS(run.status), 2);
    EXPECT_NE(run.out.find("cannot write"), std::string::npos) << run.out;
}

} // namespace
