// The settings file: what a new process reads back, and files it did not write.
#include "store/AppSettings.h"

#include "engine/base/FileUtils.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/UnreadableFile.h"
#include "tests/support/WritesFail.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using engine::FileUtils;
using engine::Value;
using engine::ValueMap;

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        FileUtils::getInstance()->setWritablePath(root.string());
        settings()->reload();
    }
    void TearDown() override {
        FileUtils::getInstance()->setWritablePath("");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static AppSettings* settings() { return AppSettings::getInstance(); }
    fs::path file() const { return root / "settings.plist"; }
    void writeFile(const std::string& bytes) const { std::ofstream(file(), std::ios::binary) << bytes; }
    // The file as the engine's own reader sees it.
    ValueMap onDisk() const { return FileUtils::getInstance()->getValueMapFromFile(file().string()); }

    fs::path root;
};

// Catches defaults other than jam and basic, and a fresh folder that gets a
// file before anything was chosen.
TEST_F(AppSettingsTest, AFreshFolderStartsInJamWithTheBasicSetAndNoPort) {
    EXPECT_EQ(settings()->dialect(), 0);
    EXPECT_EQ(settings()->cardSet(), 0);
    EXPECT_EQ(settings()->port().name, "");
    EXPECT_FALSE(fs::exists(file()));
}

// Catches a setter that does not write, a key written under another name,
// and a reload that keeps the values in memory instead of reading the file.
TEST_F(AppSettingsTest, WhatIsChosenIsReadBackByANewProcess) {
    EXPECT_TRUE(settings()->setDialect(1));
    EXPECT_TRUE(settings()->setCardSet(2));
    EXPECT_TRUE(settings()->setPort({"/dev/ttyUSB1"}));
    const ValueMap written = onDisk();
    EXPECT_EQ(engine::valueForKey(written, "dialect"), Value(1));
    EXPECT_EQ(engine::valueForKey(written, "cardset"), Value(2));
    EXPECT_EQ(engine::valueForKey(written, "port"), Value("/dev/ttyUSB1"));

    fs::remove(file());
    settings()->reload();
    EXPECT_EQ(settings()->dialect(), 0) << "reload must read the file, not keep the old values";

    writeFile(plist("<dict><key>port</key><string>/dev/ttyACM0</string><key>cardset</key><integer>1</integer>"
                    "<key>dialect</key><integer>1</integer></dict>"));
    settings()->reload();
    EXPECT_EQ(settings()->dialect(), 1);
    EXPECT_EQ(settings()->cardSet(), 1);
    EXPECT_EQ(settings()->port().name, "/dev/ttyACM0");
}

// Catches a damaged file that is fatal, read as it stands, left in place, or
// that loses the values that could still be read.
TEST_F(AppSettingsTest, ADamagedFileIsIgnoredAndReplaced) {
    const struct {
        const char* what;
        std::string bytes;
        int dialect, cardSet;
        const char* port;
    } cases[] = {
        {"no plist at all", "dialect=latte\n", 0, 0, ""},
        {"cut off", plist("<dict><key>dialect</key><integer>1</inte"), 0, 0, ""},
        {"an array", plist("<array><integer>1</integer></array>"), 0, 0, ""},
        {"dialect as text", plist("<dict><key>dialect</key><string>latte</string></dict>"), 0, 0, ""},
        {"dialect too large", plist("<dict><key>dialect</key><integer>3</integer></dict>"), 0, 0, ""},
        {"dialect negative", plist("<dict><key>dialect</key><integer>-1</integer></dict>"), 0, 0, ""},
        {"dialect beyond int",
         plist("<dict><key>dialect</key><integer>4294967297</integer><key>cardset</key><integer>2</integer></"
               "dict>"),
         0, 2, ""},
        {"set out of range, dialect kept",
         plist("<dict><key>dialect</key><integer>1</integer><key>cardset</key><integer>7</integer></dict>"),
         1, 0, ""},
        {"port a number, set kept",
         plist("<dict><key>cardset</key><integer>1</integer><key>port</key><integer>5</integer></dict>"), 0,
         1, ""},
        {"port too long",
         plist("<dict><key>port</key><string>" + std::string(2000, 'x') + "</string></dict>"), 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(c.bytes);
        settings()->reload();
        EXPECT_EQ(settings()->dialect(), c.dialect);
        EXPECT_EQ(settings()->cardSet(), c.cardSet);
        EXPECT_EQ(settings()->port().name, c.port);
        // Replaced at once by a sound file with the values in force.
        const ValueMap replaced = onDisk();
        EXPECT_EQ(engine::valueForKey(replaced, "dialect"), Value(c.dialect));
        EXPECT_EQ(engine::valueForKey(replaced, "cardset"), Value(c.cardSet));
        EXPECT_EQ(engine::valueForKey(replaced, "port"), Value(c.port));
    }
    for (const auto& hostile : hostilePlists("port")) {
        SCOPED_TRACE(hostile.name);
        writeFile("<plist><dict><key>dialect</key><integer>2</integer></dict></plist>");
        settings()->reload();
        writeFile(hostile.bytes);
        settings()->reload();
        EXPECT_EQ(settings()->dialect(), 0);
        EXPECT_EQ(engine::valueForKey(onDisk(), "dialect"), Value(0)) << "replaced";
    }
}

// Catches the device not written, read back under the wrong field, a file of
// an earlier version (name only) read as confirmed or refused, and a wrong
// device value taken as it stands.
TEST_F(AppSettingsTest, ThePortIsRememberedWithItsDeviceAndOldFilesStillLoad) {
    using Port = AppSettings::Port;
    struct Case {
        const char* what;
        Port written;
    };
    const Case cases[] = {
        {"USB adapter", {"/dev/ttyUSB1", "FT232R USB UART", 0x0403, 0x6001, "A50285BI", true}},
        {"USB without serial", {"/dev/ttyACM0", "Uno", 0x2341, 0x0043, "", true}},
        {"built-in UART", {"/dev/ttyS0", "16550A", -1, -1, "", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(settings()->setPort(c.written));
        settings()->reload();
        EXPECT_EQ(settings()->port(), c.written);
    }

    struct FileCase {
        const char* what;
        std::string bytes;
        Port read;
        bool replaced;
    };
    const FileCase files[] = {
        {"earlier version: a name only", plist("<dict><key>port</key><string>/dev/ttyS0</string></dict>"),
         Port{"/dev/ttyS0", "", -1, -1, "", false}, false},
        {"vendor beyond 16 bits",
         plist("<dict><key>port</key><string>/dev/ttyUSB0</string><key>portdevice</key><dict>"
               "<key>description</key><string>X</string><key>usbvendor</key><integer>70000</integer>"
               "<key>usbproduct</key><integer>1</integer></dict></dict>"),
         Port{"/dev/ttyUSB0", "", -1, -1, "", false}, true},
        {"vendor without product",
         plist("<dict><key>port</key><string>/dev/ttyUSB0</string><key>portdevice</key><dict>"
               "<key>description</key><string>X</string><key>usbvendor</key><integer>1</integer>"
               "</dict></dict>"),
         Port{"/dev/ttyUSB0", "", -1, -1, "", false}, true},
        {"device not a dictionary",
         plist("<dict><key>port</key><string>/dev/ttyUSB0</string><key>portdevice</key><string>x</string>"
               "</dict>"),
         Port{"/dev/ttyUSB0", "", -1, -1, "", false}, true},
    };
    for (const FileCase& c : files) {
        SCOPED_TRACE(c.what);
        writeFile(c.bytes);
        const auto before = fs::last_write_time(file());
        fs::last_write_time(file(), before - std::chrono::hours(1));
        settings()->reload();
        EXPECT_EQ(settings()->port(), c.read);
        EXPECT_EQ(fs::last_write_time(file()) != before - std::chrono::hours(1), c.replaced);
    }
}

// Catches a sound file rewritten at every start, and unknown keys dropped
// when the file is written again.
TEST_F(AppSettingsTest, ASoundFileIsLeftAsItIsAndUnknownKeysSurviveARewrite) {
    const std::string sound = plist("<dict><key>dialect</key><integer>1</integer><key>volume</key>"
                                    "<integer>7</integer></dict>");
    writeFile(sound);
    settings()->reload();
    EXPECT_EQ(FileUtils::getInstance()->getStringFromFile(file().string()), sound);

    EXPECT_TRUE(settings()->setCardSet(2));
    const ValueMap written = onDisk();
    EXPECT_EQ(engine::valueForKey(written, "volume"), Value(7));
    EXPECT_EQ(engine::valueForKey(written, "dialect"), Value(1));
    EXPECT_EQ(engine::valueForKey(written, "cardset"), Value(2));
}

// Catches a value out of range accepted, and a failed write that throws the
// choice away for the rest of the run or leaves a broken file.
TEST_F(AppSettingsTest, OutOfRangeIsRefusedAndAFailedWriteKeepsTheChoiceForThisRun) {
    EXPECT_FALSE(settings()->setDialect(3));
    EXPECT_FALSE(settings()->setCardSet(-1));
    EXPECT_EQ(settings()->dialect(), 0);
    EXPECT_EQ(settings()->cardSet(), 0);
    EXPECT_TRUE(settings()->setDialect(1));
    {
        WritesFail full;
        EXPECT_FALSE(settings()->setCardSet(2));
    }
    EXPECT_EQ(settings()->cardSet(), 2);
    const ValueMap kept = onDisk();
    EXPECT_EQ(engine::valueForKey(kept, "dialect"), Value(1));
    EXPECT_EQ(engine::valueForKey(kept, "cardset"), Value(0));
}

// Catches an unreadable file read as damaged and replaced by defaults (the
// user's choices lost once it could be read again), or written by a setter.
TEST_F(AppSettingsTest, AnUnreadableFileIsLeftAloneAndTheRunGoesOnWithDefaults) {
    const std::string chosen = plist("<dict><key>dialect</key><integer>2</integer></dict>");
    writeFile(chosen);
    bool written = true;
    {
        UnreadableFile locked(file().string());
        settings()->reload();
        written = settings()->setCardSet(1);
    }
    EXPECT_EQ(settings()->dialect(), 0);
    EXPECT_EQ(settings()->cardSet(), 1) << "in force for this run";
    EXPECT_FALSE(written);
    EXPECT_EQ(FileUtils::getInstance()->getStringFromFile(file().string()), chosen);
    settings()->reload();
    EXPECT_EQ(settings()->dialect(), 2) << "read once it can be";
}

// Catches temporaries of interrupted writes left for ever, and a clean-up
// that takes files that only look like them.
TEST_F(AppSettingsTest, LeftoverTemporariesOfTheFileAreRemovedAndOthersKept) {
    const std::vector<std::string> leftovers = {".settings.plist.tmp-a1B2c3", ".settings.plist.tmp-000000"};
    const std::vector<std::string> kept = {".settings.plist.tmp-abc", ".other.plist.tmp-abcdef",
                                           "settings.plist.tmp-abcdef", ".settings.plist.tmp-ab.def"};
    for (const auto& name : leftovers) {
        std::ofstream(root / name) << "half";
    }
    for (const auto& name : kept) {
        std::ofstream(root / name) << "someone else's";
    }
    settings()->reload();
    for (const auto& name : leftovers) {
        EXPECT_FALSE(fs::exists(root / name)) << name;
    }
    for (const auto& name : kept) {
        EXPECT_TRUE(fs::exists(root / name)) << name;
    }
}

} // namespace
