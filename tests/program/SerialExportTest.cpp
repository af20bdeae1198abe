// pavlune-export's serial actions: in-process on a pseudo-terminal board or a
// fake enumeration, and the real binary once, end to end.
#include "export/SerialExport.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "export/ExportCommand.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/support/TestPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <stdlib.h>
#include <sys/wait.h>

using namespace pavlune;

namespace {

using namespace std::chrono_literals;

struct CommandRun {
    int status = -1;
    std::string output;
};

// Runs a shell command line and collects its standard output.
CommandRun runCommand(const std::string& commandLine) {
    CommandRun run;
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    std::size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, count);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of the test's own, removed with everything in it.
struct PrivateFolder {
    PrivateFolder() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/pavlune-export-XXXXXX";
        if (::mkdtemp(pattern.data())) {
            path = pattern;
        }
    }
    ~PrivateFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

class SerialExportTest : public ::testing::Test {
protected:
    SerialExportTest() : serial(createPlatformSerialBackend()), tool(serial, output, errors) {}

    PtyBoard board;
    PavluneCardSerialManager serial;
    std::ostringstream output;
    std::ostringstream errors;
    SerialExport tool;
};

TEST_F(SerialExportTest, StopReachesTheNamedDevice) {
    EXPECT_EQ(tool.stop(board.devicePath(), latte), SerialExport::kExitDone);
    ASSERT_TRUE(board.waitForBytes(18, 2s));
    EXPECT_EQ(board.received(), " ms\nout(0)\nexit()\n");
    EXPECT_EQ(output.str(), "") << "the stop sequence is not echoed";
    EXPECT_EQ(errors.str(), "");
    const std::vector<SerialPortInfo> listed{
        {board.devicePath(), "pavlune-export", true, SerialPortInfo::Transport::named}};
    EXPECT_EQ(serial.getPorts(), listed);
}

TEST_F(SerialExportTest, DeviceThatCannotBeOpenedFailsWithTheSystemsReason) {
    // The board's name goes with it, as a by-id link does; a pty number could
    // come back for another test's board, this name cannot.
    std::string path;
    {
        const PrivateFolder byId;
        ASSERT_FALSE(byId.path.empty());
        path = byId / "usb-board";
        std::filesystem::create_symlink(board.devicePath(), path);
        board.vanish();
    }
    EXPECT_EQ(tool.stop(path, jam), SerialExport::kExitFailed);
    EXPECT_EQ(tool.send(path, que, {}), SerialExport::kExitFailed);
    const std::string reason = "pavlune-export: " + path + ": no such device (No such file or directory)\n";
    EXPECT_EQ(errors.str(), reason + reason);
    EXPECT_EQ(output.str(), "");
}

// A regular file given as DEVICE used to take the program and report success.
TEST_F(SerialExportTest, OnlyATerminalDeviceIsWrittenTo) {
    const PrivateFolder own;
    const std::string folder = own.path;
    ASSERT_FALSE(folder.empty());
    const std::string file = own / "rows.txt";
    { std::ofstream(file) << "basic 0\n"; }
    for (const std::string& device : {file, folder, std::string("/dev/null")}) {
        errors.str("");
        EXPECT_EQ(tool.send(device, latte, {{CardSlot{basic, 0, ""}}}), SerialExport::kExitFailed) << device;
        EXPECT_EQ(tool.stop(device, jam), SerialExport::kExitFailed) << device;
        const std::string reason = "pavlune-export: " + device + ": not a terminal device";
        EXPECT_EQ(errors.str().rfind(reason, 0), 0u) << errors.str();
    }
    EXPECT_EQ(readFile(file), "basic 0\n");
    EXPECT_EQ(output.str(), "");
}

TEST_F(SerialExportTest, BoardGoneMidSendFailsNamingTheDevice) {
    std::future<int> status = std::async(std::launch::async, [this] {
        return tool.send(board.devicePath(), latte, {{CardSlot{basic, 0, ""}}});
    });
    ASSERT_TRUE(board.waitForBytes(3, 2s));
    board.hangUp();
    ASSERT_EQ(status.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(status.get(), SerialExport::kExitFailed);
    // A terminal whose far end is gone answers every write with EIO.
    EXPECT_EQ(errors.str(), "pavlune-export: " + board.devicePath() + ": a byte could not be written: " +
                                "the device is gone (" + std::strerror(EIO) + ")\n");
}

TEST(SerialExportPortListTest, ListsWhatASearchFindsOneALine) {
    auto script = std::make_shared<FakeSerialBackend::Script>();
    script->present = {{"/dev/ttyUSB0", "FT231X USB UART", false},
                       {"/dev/ttyS0", "", false},
                       {"/dev/ttyACM0", "Board", false}};
    PavluneCardSerialManager serial(std::make_unique<FakeSerialBackend>(script));
    std::ostringstream output;
    std::ostringstream errors;
    SerialExport tool(serial, output, errors);
    EXPECT_EQ(tool.listPorts(), SerialExport::kExitDone);
    EXPECT_EQ(output.str(), "\u25CF /dev/ttyUSB0 [ FT231X USB UART ]\n  /dev/ttyACM0 [ Board ]\n");

    script->enumerationSucceeds = false;
    EXPECT_EQ(tool.listPorts(), SerialExport::kExitFailed);
    EXPECT_NE(errors.str(), "");
}

TEST(SerialExportArgumentsTest, SerialActionsAreCheckedBeforeAnyDeviceIsTouched) {
    const std::vector<std::vector<std::string>> mistakes{
        {"--dialect", "jam", "--send", "/dev/null", "--stop", "/dev/null", "f"},
        {"--list-ports", "--stop", "/dev/null"},
        {"--dialect", "jam", "--listing", "--send", "/dev/null", "f"},
        {"--stop", "/dev/null"},
        {"--dialect", "jam", "--stop", "/dev/null", "f"},
        {"--dialect", "jam", "--send", "/dev/null"},
        {"--dialect", "jam", "--send"},
        {"--dialect", "jam", "--send", "", "-"},
        {"--dialect", "jam", "--stop="},
    };
    for (const std::vector<std::string>& arguments : mistakes) {
        std::istringstream input;
        std::ostringstream output;
        std::ostringstream errors;
        EXPECT_EQ(ExportCommand(input, output, errors).run(arguments), ExportCommand::kExitBadInput)
            << arguments.size() << " arguments, first " << arguments.front();
        EXPECT_EQ(output.str(), "");
        const std::string message = errors.str();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
}

// A whole send into the board on the virtual clock (the epilogue's two 2 s
// pauses pass at once): the same bytes as the printed program, the echo on
// standard output. Catches a send that drops or reorders a unit, or echoes a
// silent one.
TEST_F(SerialExportTest, SendDeliversExactlyThePrintedBytes) {
    const FieldRows rows{
        {CardSlot{full, 4, ""}}, {CardSlot{basic, 0, ""}}, {std::nullopt}, {CardSlot{full, 5, ""}}};
    std::istringstream rowsText("full 4\nbasic 0\n\nfull 5\n");
    std::ostringstream printed;
    std::ostringstream printErrors;
    ASSERT_EQ(ExportCommand(rowsText, printed, printErrors).run({"--dialect", "latte", "-"}), 0);

    VirtualTransferClock clock;
    SerialExport virtualTool(serial, output, errors, &clock);
    EXPECT_EQ(virtualTool.send(board.devicePath(), latte, rows), SerialExport::kExitDone);
    ASSERT_TRUE(board.waitForBytes(printed.str().size(), 2s));
    EXPECT_EQ(board.received(), printed.str());
    EXPECT_EQ(output.str(), "var i=0;var o=0;\ni=0;\nwhile(i<3){\n  led(1);\ni=i+1;\n}\n");
    EXPECT_GE(clock.elapsed(), 4s) << "the pauses ran on the given clock";
}

// The real binary, end to end, on the routines that take no long pause.
TEST(SerialExportBinaryTest, StopAndRefusalsThroughTheBinary) {
    const std::string tool = pavlune::test::binaryDir().string() + "/bin/pavlune-export";
    const PrivateFolder own;
    ASSERT_FALSE(own.path.empty());
    const std::string rowsFile = own / "rows.txt";
    {
        std::ofstream rows(rowsFile);
        rows << "full 4\nbasic 0\n\nfull 5\n";
    }
    PtyBoard board;
    const CommandRun stopped = runCommand(tool + " --dialect latte --stop " + board.devicePath());
    EXPECT_EQ(stopped.status, 0);
    ASSERT_TRUE(board.waitForBytes(18, 2s));
    EXPECT_EQ(board.received(), " ms\nout(0)\nexit()\n");

    const std::string errorsFile = own / "errors.txt";
    // que has no sequence that stops its board: the tool says so and fails.
    const CommandRun queStop =
        runCommand(tool + " --dialect que --stop " + board.devicePath() + " 2>" + errorsFile);
    EXPECT_EQ(queStop.status, 1);
    // English only, and no log line beside the tool's own.
    EXPECT_EQ(readFile(errorsFile),
              "pavlune-export: this dialect has no sequence that stops a running program; "
              "press the board's reset button\n");
    EXPECT_FALSE(board.waitForBytes(19, 100ms)) << "nothing more reached the board";

    const CommandRun refused =
        runCommand(tool + " --dialect jam --stop /dev/pavlune-no-such-port 2>" + errorsFile);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.output, "");
    EXPECT_EQ(readFile(errorsFile),
              "pavlune-export: /dev/pavlune-no-such-port: no such device (No such file or "
              "directory)\n");

    // The rows file named as the device as well: refused, and left as it was.
    const CommandRun overwrite =
        runCommand(tool + " --dialect latte --send " + rowsFile + " " + rowsFile + " 2>" + errorsFile);
    EXPECT_EQ(overwrite.status, 1);
    EXPECT_EQ(readFile(rowsFile), "full 4\nbasic 0\n\nfull 5\n");
    const std::string sendRefusal = readFile(errorsFile);
    EXPECT_EQ(sendRefusal,
              "pavlune-export: " + rowsFile + ": not a terminal device (" + std::strerror(ENOTTY) + ")\n");
    EXPECT_TRUE(std::none_of(sendRefusal.begin(), sendRefusal.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x80;
    })) << "English only";
}

} // namespace
