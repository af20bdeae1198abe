// Programs that use every card of every set, in each dialect, compared byte
// for byte with reviewed files in golden/: the raw bytes the board receives
// and the listing. Run with PAVLUNE_UPDATE_GOLDEN=1 to rewrite the files
// after a deliberate change, then review the difference; the ctest
// program_golden_independent (golden/check_goldens.py) checks them against
// its own copy of the card tables.
#include "export/ExportCommand.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace pavlune {
namespace {

const std::string kGoldenDir = pavlune::test::sourceRoot().string() + "/tests/program/golden/";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

struct GoldenCase {
    std::string program; // basic, paprika, full
    std::string dialect; // jam, latte, que
    bool listing;

    std::string goldenPath() const {
        return kGoldenDir + program + "." + dialect + (listing ? ".listing" : ".bin");
    }
};

void PrintTo(const GoldenCase& c, std::ostream* out) {
    *out << c.goldenPath();
}

std::string exportOutput(const GoldenCase& c) {
    std::istringstream input;
    std::ostringstream output;
    std::ostringstream errors;
    std::vector<std::string> arguments{"--dialect", c.dialect, kGoldenDir + c.program + ".txt"};
    if (c.listing) {
        arguments.push_back("--listing");
    }
    const int status = ExportCommand(input, output, errors).run(arguments);
    EXPECT_EQ(status, ExportCommand::kExitOk) << errors.str();
    EXPECT_EQ(errors.str(), "");
    return output.str();
}

class GoldenProgram : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenProgram, MatchesTheReviewedFile) {
    const GoldenCase& c = GetParam();
    const std::string actual = exportOutput(c);
    if (const char* update = std::getenv("PAVLUNE_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(c.goldenPath(), std::ios::binary) << actual;
    }
    const std::string expected = readFile(c.goldenPath());
    ASSERT_FALSE(expected.empty()) << "missing " << c.goldenPath();
    EXPECT_EQ(actual, expected) << c.goldenPath();
}

// The browser's pacer sends the schedule's writes: they must be the reviewed
// bytes too, in every dialect.
TEST(GoldenSchedule, WritesAreTheReviewedBytes) {
    const std::regex write(R"(\[0,(\d+)\])");
    for (const char* program : {"basic", "paprika", "full"}) {
        for (const char* dialect : {"jam", "latte", "que"}) {
            std::istringstream input;
            std::ostringstream output;
            std::ostringstream errors;
            const int status = ExportCommand(input, output, errors)
                                   .run({"--dialect", dialect, "--schedule", kGoldenDir + program + ".txt"});
            ASSERT_EQ(status, ExportCommand::kExitOk) << errors.str();
            const std::string json = output.str();
            std::string bytes;
            for (auto it = std::sregex_iterator(json.begin(), json.end(), write);
                 it != std::sregex_iterator(); ++it) {
                bytes.push_back(static_cast<char>(std::stoi((*it)[1].str())));
            }
            EXPECT_EQ(bytes, readFile(kGoldenDir + program + "." + dialect + ".bin"))
                << program << "." << dialect;
        }
    }
}

std::vector<GoldenCase> allCases() {
    std::vector<GoldenCase> cases;
    for (const char* program : {"basic", "paprika", "full"}) {
        for (const char* dialect : {"jam", "latte", "que"}) {
            for (const bool listing : {false, true}) {
                cases.push_back({program, dialect, listing});
            }
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryCardEveryDialect, GoldenProgram, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& param) {
                             return param.param.program + "_" + param.param.dialect +
                                    (param.param.listing ? "_listing" : "_bytes");
                         });

} // namespace
} // namespace pavlune
