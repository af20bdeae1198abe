// The real pavlune-export binary: the golden programs (the generation itself
// is tested below it, in tests/program), and every kind of bad input (one
// line on standard error naming file and line, exit status 2, nothing on
// standard output).
#include "store/StoreLock.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kTool = pavlune::test::binaryDir().string() + "/bin/pavlune-export";
const std::string kGoldenDir = pavlune::test::sourceRoot().string() + "/tests/program/golden/";

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

class ExportTool : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-export-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path file(const std::string& name, const std::string& content) {
        writeFile(dir_ / name, content);
        return dir_ / name;
    }

    // Runs the tool with `input` on standard input; output captured in files.
    ToolRun run(const std::vector<std::string>& arguments, const std::string& input = "",
                const fs::path& workingDirectory = {}) {
        const fs::path in = file("stdin", input);
        const fs::path out = dir_ / "stdout";
        const fs::path err = dir_ / "stderr";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (!workingDirectory.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
        }
        std::vector<std::string> argvStrings{kTool};
        argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& s : argvStrings) {
            argv.push_back(s.data());
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        ToolRun result;
        const int spawned = posix_spawn(&pid, kTool.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << kTool;
        if (spawned != 0) {
            return result;
        }
        int wstatus = 0;
        waitpid(pid, &wstatus, 0);
        result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
        result.out = readFile(out);
        result.err = readFile(err);
        return result;
    }

    // A bad-input run: status 2, empty stdout, one stderr line starting with `prefix`.
    void expectRejected(const ToolRun& r, const std::string& prefix) {
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind(prefix, 0), 0u) << r.err;
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "not one line: " << r.err;
    }

    fs::path dir_;
};

// Catches the prologue or epilogue among the lines, line ends left on, a
// latte row's second line lost, a jam number that skips no empty row, and que
// groups printed one per line instead of one instruction per line.
TEST_F(ExportTool, LinesShowTheProgramAsTheProgramPanelDoes) {
    const struct {
        const char* dialect;
        const char* rows;
        const char* lines;
    } cases[] = {
        {"jam", "basic 0\n\nfull 2 3\n", "10 LED 1\n30 WAIT 180\n"},
        {"latte", "full 4\nbasic 0\nfull 5\n", "i=0;\nwhile(i<3){\n  led(1);\ni=i+1;\n}\n"},
        {"que", "full 4\nbasic 0\nfull 5\n",
         "  1  09 00 00 00 00 00 00 00  はこ# = 0\n"
         "  2  00 00 00 00 00 00 00 00\n"
         "  3  01 00 01 00 00 00 00 00  LEDを つける\n"
         "  4  0A 00 00 00 01 00 01 00  はこ# + 1\n"
         "  5  10 00 01 00 02 00 03 00  もし #<3 2 へ\n"
         "     FF × 472  のこりを うめる\n"},
        {"jam", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dialect) + " " + c.rows);
        const ToolRun r = run({"--dialect", c.dialect, "--lines", "-"}, c.rows);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.lines);
    }
    for (const char* other : {"--listing", "--schedule", "--print=cards.pdf"}) {
        expectRejected(
            run({"--dialect", "jam", "--lines", other, "-"}, ""),
            "pavlune-export: --send, --stop, --list-ports, --listing, --lines, --schedule and --print "
            "exclude each other");
    }
}

TEST_F(ExportTool, ReadsNamedFilesLikeStandardInput) {
    for (const char* dialect : {"jam", "latte", "que"}) {
        const ToolRun fromFile = run({"--dialect", dialect, kGoldenDir + "full.txt"});
        EXPECT_EQ(fromFile.status, 0) << fromFile.err;
        EXPECT_EQ(fromFile.out, readFile(kGoldenDir + "full." + dialect + ".bin")) << dialect;
        EXPECT_EQ(run({"--dialect", dialect, "-"}, readFile(kGoldenDir + "full.txt")).out, fromFile.out);
        EXPECT_EQ(run({"--listing", "--dialect", dialect, kGoldenDir + "full.txt"}).out,
                  readFile(kGoldenDir + "full." + dialect + ".listing"))
            << dialect;
    }
}

TEST_F(ExportTool, BadProgramLinesAreRejectedWithFileAndLine) {
    const fs::path program = file("prog.txt", "basic 0\n\nfull 22\n");
    expectRejected(run({"--dialect", "jam", program.string()}),
                   program.string() + ":3: unknown card index \"22\"");
    expectRejected(run({"--dialect", "que", "-"}, "basic 0\nlatte 1\n"),
                   "<stdin>:2: unknown card set \"latte\"");
    expectRejected(run({"--dialect", "latte", "-"}, "basic\n"), "<stdin>:1: missing card index");

    std::string fortyOne;
    for (int i = 0; i < 41; ++i) {
        fortyOne += "basic 1\n";
    }
    expectRejected(run({"--dialect", "jam", "-"}, fortyOne), "<stdin>:41: more than 40 rows");
    EXPECT_EQ(run({"--dialect", "jam", "-"}, fortyOne.substr(8)).status, 0);
}

TEST_F(ExportTool, UnreadableFilesAndBadCommandLinesAreRejected) {
    const std::string missing = (dir_ / "missing.txt").string();
    expectRejected(run({"--dialect", "jam", missing}), missing + ": cannot read: No such file or directory");
    expectRejected(run({"--dialect", "jam", dir_.string()}), dir_.string() + ": cannot read");
    expectRejected(run({"--dialect", "basic", "-"}), "pavlune-export: unknown dialect \"basic\"");
    expectRejected(run({"-"}), "pavlune-export: --dialect jam|latte|que is required");
    expectRejected(run({"--dialect", "jam"}), "pavlune-export: give either FILE");
    expectRejected(run({"--dialect", "jam", "--program", "3", "-"}), "pavlune-export: give either FILE");
    expectRejected(run({"--dialect", "jam", "--frobnicate", "-"}),
                   "pavlune-export: unknown option \"--frobnicate\"");
    expectRejected(run({"--dialect", "jam", "a", "b"}), "pavlune-export: more than one FILE");
}

TEST_F(ExportTool, HostileInputNeverCrashes) {
    // Binary junk, a huge line, control characters in names: all rejected cleanly.
    expectRejected(run({"--dialect", "que", "-"}, std::string("\0\xFF\x1B[2J\n", 6)),
                   "<stdin>:1: unknown card set \"\\x00");
    expectRejected(run({"--dialect", "jam", "-"}, std::string(2 << 20, 'x')), "<stdin>: larger than");
    expectRejected(run({"--dialect", "jam", "-"}, "full " + std::string(100000, '9') + "\n"),
                   "<stdin>:1: unknown card index");
    // Numbers the card would refuse to have typed are refused here too.
    expectRejected(run({"--dialect", "que", "-"}, "full 2 3\nfull 2 nan\nfull 2 -inf\n"),
                   "pavlune-export: line 20: ");
}

// Catches a reader that recurses into a disguised deep file (exit 139) or
// unfolds a binary one into gigabytes, both as a program and as the list.
TEST_F(ExportTool, HostileProgramFilesAndListsAreRefused) {
    fs::create_directories(dir_ / "data/PavluneApps/savedatas");
    for (const auto& hostile : hostilePlists("datas")) {
        SCOPED_TRACE(hostile.name);
        const fs::path program = dir_ / "hostile.plist";
        writeFile(program, hostile.bytes);
        expectRejected(run({"--dialect", "jam", "--program", program.string()}),
                       "pavlune-export: " + program.string() + ": not a program file");
        writeFile(dir_ / "data/PavluneApps/savedatas/list.plist", hostile.bytes);
        ASSERT_EQ(setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1), 0);
        const ToolRun listed = run({"--list-programs"});
        unsetenv("XDG_DATA_HOME");
        EXPECT_EQ(listed.status, 0) << listed.err;
        EXPECT_EQ(listed.out, "");
    }
}

// Catches a program file whose numbers reach the board unchecked ("-5" as
// WAIT -300, "1e9" in exponent form, "0x10" as 960), and a refusal naming the
// row by its index instead of the line number the field shows.
TEST_F(ExportTool, ProgramFilesWithNumbersACardRefusesAreRejectedNamingTheRow) {
    const auto card = [](int row, const std::string& value) {
        // A card whose left edge lies on the row's snap point (652, 5514 - 130 row).
        return "<dict><key>tab</key><integer>2</integer><key>index</key><integer>2</integer>"
               "<key>x</key><integer>652</integer><key>y</key><integer>" +
               std::to_string(5514 - 130 * row) + "</integer><key>zorder</key><integer>" +
               std::to_string(row + 1) + "</integer><key>value</key><string>" + value + "</string></dict>";
    };
    for (const char* wrong : {"-5", "1e9", "0x10", "1000"}) {
        SCOPED_TRACE(wrong);
        const fs::path program =
            file("wrong.plist", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>" +
                                    card(0, "3") + card(3, wrong) + "</array></plist>\n");
        for (const char* dialect : {"jam", "latte", "que"}) {
            expectRejected(run({"--dialect", dialect, "--program", program.string()}),
                           "pavlune-export: line 40: the number on its card is not one the card takes");
        }
        expectRejected(run({"--dialect", "jam", "--lines", "--program", program.string()}),
                       "pavlune-export: line 40: ");
    }
}

TEST_F(ExportTool, HelpGoesToStandardOutput) {
    const ToolRun r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.rfind("usage: pavlune-export", 0), 0u);
}

// Catches rows made from the file's order instead of the field model's
// snapping (a loose card would become a row), a saved program found by its
// place in the list instead of its identifier, and titles printed raw.
TEST_F(ExportTool, SavedProgramsAreListedAndSentAsTheEditorLaysThemOut) {
    const std::string program =
        pavlune::test::sourceRoot().string() + "/tests/editor/data/plistlib_program.plist";
    for (const char* dialect : {"jam", "que"}) {
        SCOPED_TRACE(dialect);
        const ToolRun fromProgram = run({"--dialect", dialect, "--listing", "--program", program});
        EXPECT_EQ(fromProgram.status, 0) << fromProgram.err;
        EXPECT_EQ(fromProgram.out,
                  run({"--dialect", dialect, "--listing", "-"}, "basic 0\nfull 2 1.5\nbasic 1\n").out);
    }

    fs::create_directories(dir_ / "data/PavluneApps");
    fs::copy(pavlune::test::sourceRoot() / "tests/store/data/plistlib_store/savedatas",
             dir_ / "data/PavluneApps/savedatas");
    ASSERT_EQ(setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1), 0);
    const ToolRun listed = run({"--list-programs"});
    const ToolRun saved = run({"--dialect", "jam", "--listing", "--program", "5"});
    const ToolRun missing = run({"--dialect", "jam", "--program", "3"});
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "5\t2026/12/5 9:3:7\tロボットカー & <LED>\n2\t2026/1/31 23:59:0\t\n");
    EXPECT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.out, run({"--dialect", "jam", "--listing", "-"}, "").out); // its one card lies loose
    expectRejected(missing, "pavlune-export: no saved program 3");
}

// Catches a relative program file looked up among the resources instead of
// the working directory, and a listing that rebuilds, sets aside, cleans up
// or creates anything in the store.
TEST_F(ExportTool, ProgramFilesAreFoundFromTheWorkingDirectoryAndTheStoreIsOnlyRead) {
    fs::create_directories(dir_ / "work");
    fs::copy_file(pavlune::test::sourceRoot() / "tests/editor/data/plistlib_program.plist",
                  dir_ / "work/mine.plist");
    const ToolRun relative =
        run({"--dialect", "jam", "--listing", "--program", "mine.plist"}, "", dir_ / "work");
    EXPECT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(relative.out,
              run({"--dialect", "jam", "--listing", "-"}, "basic 0\nfull 2 1.5\nbasic 1\n").out);

    const fs::path store = dir_ / "data/PavluneApps/savedatas";
    fs::create_directories(store);
    std::string deep = "<plist>";
    for (int i = 0; i < 100000; ++i) {
        deep += "<array>";
    }
    writeFile(store / "list.plist", deep);
    fs::copy_file(dir_ / "work/mine.plist", store / "3.plist");
    writeFile(store / ".3.plist.tmp-abc123", "half");
    const auto snapshot = [&store] {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : fs::directory_iterator(store)) {
            files.emplace_back(entry.path().filename().string(), readFile(entry.path()));
        }
        std::sort(files.begin(), files.end());
        return files;
    };
    const auto before = snapshot();
    ASSERT_EQ(setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1), 0);
    const ToolRun listed = run({"--list-programs"});
    ASSERT_EQ(setenv("XDG_DATA_HOME", (dir_ / "empty").c_str(), 1), 0);
    const ToolRun none = run({"--list-programs"});
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.substr(0, 2), "3\t") << "listed as the editor would rebuild the list";
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out, "");
    EXPECT_FALSE(fs::exists(dir_ / "empty")) << "no store is made for a listing";
}

// Catches the tool opening the store as the editor does (it would make the
// lock file, or answer nothing while an editor holds the store).
TEST_F(ExportTool, ListingAndReadingAProgramNeitherTakeNorWaitForTheEditorsLock) {
    const fs::path folder = dir_ / "data/PavluneApps";
    fs::create_directories(folder);
    fs::copy(pavlune::test::sourceRoot() / "tests/store/data/plistlib_store/savedatas", folder / "savedatas");
    ASSERT_EQ(setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1), 0);
    const ToolRun unlocked = run({"--list-programs"});
    const bool lockFileMade = fs::exists(folder / StoreLock::kFileName);
    const StoreLock::Attempt editor = StoreLock::tryAcquire(folder.string() + "/");
    const ToolRun listed = run({"--list-programs"});
    const ToolRun saved = run({"--dialect", "jam", "--listing", "--program", "5"});
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(unlocked.status, 0) << unlocked.err;
    EXPECT_FALSE(lockFileMade);
    ASSERT_EQ(editor.state, StoreLock::State::Held) << editor.reason;
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, unlocked.out);
    EXPECT_EQ(listed.out.substr(0, 2), "5\t");
    EXPECT_EQ(saved.status, 0) << saved.err;
}

} // namespace
