// FileUtils on Windows: what the POSIX tests cannot show (replacing a file
// that exists, names outside the system code page, drive paths, the per-user
// folder) and the conversions behind the wide-character calls.
#include "engine/base/FileUtils.h"
#include "engine/base/WideText.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using engine::FileUtils;

namespace {

class FileUtilsWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-files-win-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = fs::absolute(pattern).generic_string() + "/";
        files = FileUtils::getInstance();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(fs::path(engine::wideFromUtf8(folder)), ignored);
    }

    std::string folder;
    FileUtils* files = nullptr;
};

// "プログラム" and "日本語" in UTF-8, written out byte by byte.
const std::string kProgramWord = "\xE3\x83\x97\xE3\x83\xAD\xE3\x82\xB0\xE3\x83\xA9\xE3\x83\xA0";
const std::string kJapaneseWord = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";

} // namespace

TEST(WideTextTest, ConvertsBothWaysIndependentlyOfTheCodePage) {
    struct Case {
        std::wstring wide;
        std::string utf8;
    };
    const Case cases[] = {
        {L"COM5", "COM5"},
        {std::wstring{0x30D7, 0x30ED, 0x30B0, 0x30E9, 0x30E0}, kProgramWord},
        // A character outside the basic plane: a surrogate pair in UTF-16.
        {std::wstring{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {L"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::utf8FromWide(c.wide), c.utf8);
        EXPECT_EQ(engine::wideFromUtf8(c.utf8), c.wide);
    }
    // A description as the device set-up hands it out, terminator included.
    const wchar_t description[] = {0x65E5, 0x672C, 0x8A9E, 0};
    EXPECT_EQ(engine::utf8FromWide(description), kJapaneseWord);
    EXPECT_EQ(engine::utf8FromWide(static_cast<const wchar_t*>(nullptr)), "");
    // Broken input is refused whole, never cut short.
    EXPECT_EQ(engine::wideFromUtf8("ab\xE3\x83"), L"");
    EXPECT_EQ(engine::utf8FromWide(std::wstring{L'a', 0xD800, L'b'}), "");
}

TEST_F(FileUtilsWin32Test, WritingAgainReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string target = folder + "list.plist";
    ASSERT_TRUE(files->writeStringToFile("first", target));
    ASSERT_TRUE(files->writeStringToFile("second, longer", target));
    EXPECT_EQ(files->getStringFromFile(target), "second, longer");
    EXPECT_EQ(files->listFiles(folder), std::vector<std::string>{"list.plist"});
}

TEST_F(FileUtilsWin32Test, RenameReplacesAnExistingFile) {
    ASSERT_TRUE(files->writeStringToFile("new", folder + "a.png.tmp"));
    ASSERT_TRUE(files->writeStringToFile("old", folder + "a.png"));
    EXPECT_TRUE(files->renameFile(folder + "a.png.tmp", folder + "a.png"));
    EXPECT_EQ(files->getStringFromFile(folder + "a.png"), "new");
    EXPECT_FALSE(files->isFileExist(folder + "a.png.tmp"));
}

TEST_F(FileUtilsWin32Test, AFileHeldWithoutSharingIsNotReplacedAndStaysWhole) {
    const std::string target = folder + "held.plist";
    ASSERT_TRUE(files->writeStringToFile("kept", target));
    HANDLE held = CreateFileW(engine::wideFromUtf8(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files->writeStringToFile("lost", target));
    CloseHandle(held);
    EXPECT_EQ(files->getStringFromFile(target), "kept");
    EXPECT_EQ(files->listFiles(folder), std::vector<std::string>{"held.plist"});
}

TEST_F(FileUtilsWin32Test, JapaneseNamesRoundTrip) {
    const std::string subfolder = folder + kJapaneseWord + "/";
    ASSERT_TRUE(files->createDirectory(subfolder));
    const std::string target = subfolder + kProgramWord + ".plist";
    ASSERT_TRUE(files->writeStringToFile("x", target));
    EXPECT_TRUE(files->isFileExist(target));
    EXPECT_EQ(files->getFileSize(target), 1);
    EXPECT_EQ(files->listFiles(subfolder), std::vector<std::string>{kProgramWord + ".plist"});
    // The name the system stores is the same text, not the bytes read in
    // another code page.
    EXPECT_TRUE(fs::exists(fs::path(engine::wideFromUtf8(folder)) / std::wstring{0x65E5, 0x672C, 0x8A9E} /
                           (std::wstring{0x30D7, 0x30ED, 0x30B0, 0x30E9, 0x30E0} + L".plist")));
    EXPECT_TRUE(files->removeFile(target));
    EXPECT_FALSE(files->isFileExist(target));
}

TEST_F(FileUtilsWin32Test, DrivePathsAreAbsoluteAndNamesAreResources) {
    struct Case {
        const char* path;
        bool absolute;
    };
    const Case cases[] = {
        {"C:/Users/a/list.plist", true},
        {"c:\\Users\\a", true},
        {"\\\\server\\share\\x", true},
        {"/tmp/x", true},
        {"res/r_back.png", false},
        {"C:relative.png", false},
        {"", false},
        {"savedatas/1.plist", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(files->isAbsolutePath(c.path), c.absolute) << c.path;
    }
}

TEST_F(FileUtilsWin32Test, ModificationTimeIsInUnixSeconds) {
    const std::string target = folder + "t.plist";
    ASSERT_TRUE(files->writeStringToFile("x", target));
    const auto modified = files->getFileModificationTime(target);
    ASSERT_TRUE(modified.has_value());
    EXPECT_LE(std::abs(static_cast<long long>(*modified - std::time(nullptr))), 60);
}

TEST_F(FileUtilsWin32Test, WritablePathIsPavluneAppsInTheLocalApplicationData) {
    files->setWritablePath("");
    PWSTR local = nullptr;
    ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local), S_OK);
    std::string expected = engine::utf8FromWide(local);
    CoTaskMemFree(local);
    std::replace(expected.begin(), expected.end(), '\\', '/');
    EXPECT_EQ(files->getWritablePath(), expected + "/PavluneApps/");
    EXPECT_TRUE(files->isDirectoryExist(files->getWritablePath()));
}

// Only there: a folder of the build machine would be a path in the shipped program.
TEST_F(FileUtilsWin32Test, ResourcesAreFoundBesideTheProgramOnly) {
    wchar_t module[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, module, MAX_PATH), 0U);
    std::string exeFolder = engine::utf8FromWide(module);
    std::replace(exeFolder.begin(), exeFolder.end(), '\\', '/');
    exeFolder.resize(exeFolder.rfind('/') + 1);
    EXPECT_EQ(files->getSearchPaths(), std::vector<std::string>{exeFolder});
}
