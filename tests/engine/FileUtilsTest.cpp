#include "engine/base/FileUtils.h"

#include "engine/base/PlistCodec.h"
#include "tests/support/TestPaths.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace fs = std::filesystem;
using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

const std::string dataFolder = pavlune::test::sourceRoot().string() + "/tests/engine/data/";

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A value with everything that tends to break a hand-rolled XML writer.
ValueMap awkwardMap() {
    ValueMap map;
    map["markup"] = Value("a < b && c > d ]]> <![CDATA[ x ]]>");
    map["quotes"] = Value("\"double\" 'single'");
    map["japanese"] = Value("えらんだソースコードを消しますか？");
    map["empty"] = Value("");
    map["spaces"] = Value("  leading and trailing\n\ttabs  ");
    map["maxInt"] = Value(static_cast<long long>(INT64_MAX));
    map["minInt"] = Value(static_cast<long long>(INT64_MIN));
    map["beyond32bits"] = Value(4294967296LL + 7);
    map["negative"] = Value(-1);
    map["real"] = Value(0.1);
    map["flag"] = Value(true);
    map["nested"] = Value(ValueVector{
        Value(ValueVector{Value(1), Value(ValueVector{Value("deep")}), Value(ValueVector{})}),
        Value(ValueMap{{"k & <k>", Value("v")}}),
        Value(ValueMap{}),
    });
    map["キー"] = Value("日本語のキー");
    return map;
}

class FileUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        files = FileUtils::getInstance();
        savedSearchPaths = files->getSearchPaths();
    }

    void TearDown() override {
        files->setSearchPaths(savedSearchPaths);
        files->setWritablePath("");
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    // Files left in the folder besides the expected ones (temporary files of a
    // failed write must not linger).
    std::vector<std::string> folderContents() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
    FileUtils* files = nullptr;
    std::vector<std::string> savedSearchPaths;
};

TEST_F(FileUtilsTest, MapRoundTripKeepsAwkwardContent) {
    const ValueMap original = awkwardMap();
    ASSERT_TRUE(files->writeValueMapToFile(original, path("awkward.plist")));
    const ValueMap back = files->getValueMapFromFile(path("awkward.plist"));
    EXPECT_EQ(Value(back), Value(original)) << Value(back).getDescription();
    EXPECT_EQ(back.at("maxInt").asInt64(), INT64_MAX);
    EXPECT_EQ(back.at("minInt").asInt64(), INT64_MIN);
    EXPECT_DOUBLE_EQ(back.at("real").asDouble(), 0.1);

    // It is XML that a person or another tool can read.
    const std::string text = readBytes(path("awkward.plist"));
    EXPECT_EQ(text.rfind("<?xml", 0), 0u);
    EXPECT_NE(text.find("<string>えらんだソースコードを消しますか？</string>"), std::string::npos);
    EXPECT_NE(text.find("a &lt; b &amp;&amp; c"), std::string::npos);
}

TEST_F(FileUtilsTest, VectorRoundTripKeepsOrderAndNesting) {
    ValueVector original;
    for (int i = 0; i < 50; ++i) {
        original.push_back(Value(ValueMap{{"index", Value(i)}, {"value", Value(std::to_string(i * 0.5))}}));
    }
    original.push_back(Value(ValueVector{Value(ValueVector{Value(ValueVector{})})}));
    ASSERT_TRUE(files->writeValueVectorToFile(original, path("program.plist")));
    EXPECT_EQ(Value(files->getValueVectorFromFile(path("program.plist"))), Value(original));

    ASSERT_TRUE(files->writeValueVectorToFile({}, path("empty.plist")));
    EXPECT_TRUE(files->getValueVectorFromFile(path("empty.plist")).empty());
    EXPECT_TRUE(files->readPropertyList(path("empty.plist")).has_value());
}

TEST_F(FileUtilsTest, UnchangedMapsWriteIdenticalFiles) {
    ASSERT_TRUE(files->writeValueMapToFile(awkwardMap(), path("a.plist")));
    ValueMap rebuilt;
    for (const auto& [key, value] : awkwardMap()) { // different insertion history
        rebuilt.emplace(key, value);
    }
    rebuilt.rehash(512);
    ASSERT_TRUE(files->writeValueMapToFile(rebuilt, path("b.plist")));
    EXPECT_EQ(readBytes(path("a.plist")), readBytes(path("b.plist")));
}

TEST_F(FileUtilsTest, ReadsFilesWrittenByPythonPlistlib) {
    const Value expectedNested(ValueVector{
        Value(ValueVector{Value(1), Value(2), Value(ValueVector{Value(3)})}),
        Value(ValueVector{}),
        Value(ValueMap{{"k", Value("v")}}),
    });
    for (const char* name : {"plistlib_sample.plist", "plistlib_sample_binary.plist"}) {
        SCOPED_TRACE(name);
        const ValueMap map = files->getValueMapFromFile(dataFolder + name);
        ASSERT_EQ(map.size(), 10u);
        EXPECT_EQ(map.at("text").asString(), "a < b & c ]]> d");
        EXPECT_EQ(map.at("japanese").asString(), "プログラム 1");
        EXPECT_EQ(map.at("empty").getType(), Value::Type::STRING);
        EXPECT_EQ(map.at("empty").asString(), "");
        EXPECT_EQ(map.at("int").asInt(), 42);
        EXPECT_EQ(map.at("negative").asInt(), -7);
        EXPECT_EQ(map.at("large").asInt64(), 9007199254740993LL);
        EXPECT_DOUBLE_EQ(map.at("real").asDouble(), 0.5);
        EXPECT_TRUE(map.at("flag").asBool());
        EXPECT_FALSE(map.at("off").asBool());
        EXPECT_EQ(map.at("nested"), expectedNested);
    }

    const ValueVector program = files->getValueVectorFromFile(dataFolder + "plistlib_program.plist");
    ASSERT_EQ(program.size(), 2u);
    const ValueMap& second = program[1].asValueMap();
    EXPECT_EQ(second.at("tab").asInt(), 2);
    EXPECT_EQ(second.at("index").asInt(), 21);
    EXPECT_EQ(second.at("value").asString(), "0.5");
    EXPECT_EQ(program[0].asValueMap().at("y").asInt(), -40);
}

TEST_F(FileUtilsTest, ReadsAppleStyleFilesWithDoctypeCommentsAndCdata) {
    const ValueMap map = files->getValueMapFromFile(dataFolder + "apple_style.plist");
    ASSERT_EQ(map.size(), 5u) << Value(map).getDescription();
    EXPECT_EQ(map.at("title").asString(), "<b> & </b>");
    EXPECT_EQ(map.at("empty").asString(), "");
    EXPECT_EQ(map.at("count").asInt(), 12);
    EXPECT_EQ(map.at("when").asString(), "2026-12-05T09:03:07Z");
    ASSERT_EQ(map.at("items").asValueVector().size(), 2u);
    EXPECT_DOUBLE_EQ(map.at("items").asValueVector()[0].asDouble(), 1.25);
}

TEST_F(FileUtilsTest, DamagedOrMissingFilesReadAsEmptyAndStayUntouched) {
    for (const char* name : {"truncated.plist", "not_a_plist.plist"}) {
        SCOPED_TRACE(name);
        const std::string copy = path(name);
        fs::copy_file(dataFolder + name, copy);
        const std::string before = readBytes(copy);
        const auto timeBefore = fs::last_write_time(copy);

        EXPECT_TRUE(files->getValueMapFromFile(copy).empty());
        EXPECT_TRUE(files->getValueVectorFromFile(copy).empty());
        EXPECT_FALSE(files->readPropertyList(copy).has_value());

        EXPECT_EQ(readBytes(copy), before);
        EXPECT_EQ(fs::last_write_time(copy), timeBefore);
    }
    EXPECT_EQ(folderContents(), (std::vector<std::string>{"not_a_plist.plist", "truncated.plist"}));

    EXPECT_TRUE(files->getValueMapFromFile(path("missing.plist")).empty());
    EXPECT_FALSE(files->readPropertyList(path("missing.plist")).has_value());
    EXPECT_FALSE(files->isFileExist(path("missing.plist")));

    writeBytes(path("zero.plist"), "");
    EXPECT_FALSE(files->readPropertyList(path("zero.plist")).has_value());
}

// libplist aborts the process when asked for a dictionary key holding a NUL
// byte, which a damaged binary file can contain; reading it must not abort.
// (The key comes out cut at the NUL.)
TEST_F(FileUtilsTest, BinaryFileWithANulInAKeyDoesNotAbort) {
    const ValueMap map = files->getValueMapFromFile(dataFolder + "binary_key_with_nul.plist");
    EXPECT_EQ(map.size(), 2u);
    EXPECT_EQ(engine::valueForKey(map, "ok").asInt(), 1);
}

TEST_F(FileUtilsTest, RootOfTheOtherKindReadsAsEmpty) {
    ASSERT_TRUE(files->writeValueVectorToFile({Value(1)}, path("array.plist")));
    EXPECT_TRUE(files->getValueMapFromFile(path("array.plist")).empty());
    ASSERT_TRUE(files->writeValueMapToFile({{"a", Value(1)}}, path("dict.plist")));
    EXPECT_TRUE(files->getValueVectorFromFile(path("dict.plist")).empty());
}

TEST_F(FileUtilsTest, SuccessfulWriteReplacesTheFileAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(files->writeStringToFile("old contents", path("target.txt")));
    ASSERT_TRUE(files->writeStringToFile("new", path("target.txt")));
    EXPECT_EQ(readBytes(path("target.txt")), "new");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"target.txt"});

    const std::vector<unsigned char> bytes{0x89, 'P', 'N', 'G', 0, 0xff, '\n'};
    ASSERT_TRUE(files->writeDataToFile(bytes, path("image.png")));
    EXPECT_EQ(files->getFileData(path("image.png")), bytes);
    EXPECT_EQ(files->getFileSize(path("image.png")), 7);
}

TEST_F(FileUtilsTest, WriteOntoADirectoryFailsAndKeepsIt) {
    fs::create_directory(folder / "list.plist");
    writeBytes(folder / "list.plist" / "inside", "keep me");
    EXPECT_FALSE(files->writeValueMapToFile({{"a", Value(1)}}, path("list.plist")));
    EXPECT_EQ(readBytes(folder / "list.plist" / "inside"), "keep me");
    EXPECT_EQ(folderContents(), std::vector<std::string>{"list.plist"});
}

TEST_F(FileUtilsTest, WriteIntoAMissingFolderFails) {
    EXPECT_FALSE(files->writeStringToFile("x", path("no/such/folder/file.txt")));
    EXPECT_FALSE(files->writeStringToFile("x", ""));
    EXPECT_FALSE(files->writeStringToFile("x", path("folder/")));
    EXPECT_TRUE(folderContents().empty());
}

// A full disk: the file-size limit makes write() fail part way, as ENOSPC
// would, even for root. The old file must come through whole.
TEST_F(FileUtilsTest, WriteThatRunsOutOfSpaceKeepsTheOldFileWhole) {
    ValueVector program;
    for (int i = 0; i < 40; ++i) {
        program.push_back(Value(ValueMap{{"tab", Value(0)}, {"index", Value(i)}, {"value", Value("")}}));
    }
    ASSERT_TRUE(files->writeValueVectorToFile(program, path("1.plist")));
    const std::string before = readBytes(path("1.plist"));
    ASSERT_GT(before.size(), 2048u);

    ValueVector bigger = program;
    bigger.insert(bigger.end(), program.begin(), program.end());

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = files->writeValueVectorToFile(bigger, path("1.plist"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(path("1.plist")), before);
    EXPECT_EQ(files->getValueVectorFromFile(path("1.plist")).size(), 40u);
    EXPECT_EQ(folderContents(), std::vector<std::string>{"1.plist"});
}

TEST_F(FileUtilsTest, FileOperationsTellFilesFromFolders) {
    fs::create_directory(folder / "dir");
    writeBytes(folder / "a.txt", "a");
    writeBytes(folder / "b.txt", "b");

    EXPECT_TRUE(files->isFileExist(path("a.txt")));
    EXPECT_FALSE(files->isFileExist(path("dir")));
    EXPECT_TRUE(files->isDirectoryExist(path("dir")));
    EXPECT_FALSE(files->isFileExist(""));

    EXPECT_EQ(files->listFiles(folder.string()), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_TRUE(files->listFiles(path("none")).empty());

    // Removing never takes a folder, so an empty relative name cannot wipe one.
    EXPECT_FALSE(files->removeFile(path("dir")));
    EXPECT_FALSE(files->removeFile(folder.string() + "/"));
    EXPECT_TRUE(files->isDirectoryExist(path("dir")));
    EXPECT_TRUE(files->removeFile(path("b.txt")));
    EXPECT_FALSE(files->removeFile(path("b.txt")));

    EXPECT_TRUE(files->renameFile(folder.string(), "a.txt", "c.txt"));
    EXPECT_EQ(readBytes(folder / "c.txt"), "a");
    writeBytes(folder / "d.txt", "d");
    EXPECT_TRUE(files->renameFile(path("d.txt"), path("c.txt")));
    EXPECT_EQ(readBytes(folder / "c.txt"), "d");
    EXPECT_FALSE(files->renameFile(path("gone.txt"), path("c.txt")));

    EXPECT_TRUE(files->createDirectory(path("x/y/z")));
    EXPECT_TRUE(files->isDirectoryExist(path("x/y/z")));
    EXPECT_TRUE(files->createDirectory(path("x/y/z")));
    EXPECT_FALSE(files->createDirectory(path("c.txt/sub")));

    EXPECT_TRUE(files->getFileModificationTime(path("c.txt")).has_value());
    EXPECT_FALSE(files->getFileModificationTime(path("gone.txt")).has_value());
    EXPECT_EQ(files->getFileSize(path("gone.txt")), -1);
}

TEST_F(FileUtilsTest, WritablePathIsCreatedAndEndsWithASeparator) {
    files->setWritablePath(path("store/inner"));
    EXPECT_EQ(files->getWritablePath(), path("store/inner") + "/");
    EXPECT_TRUE(files->isDirectoryExist(path("store/inner")));

    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string savedXdgValue = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string savedHomeValue = savedHome ? savedHome : "";

    setenv("XDG_DATA_HOME", path("xdg").c_str(), 1);
    files->setWritablePath("");
    EXPECT_EQ(files->getWritablePath(), path("xdg") + "/PavluneApps/");
    EXPECT_TRUE(files->isDirectoryExist(path("xdg/PavluneApps")));

    // A relative XDG_DATA_HOME is invalid and ignored, as is an unset one.
    setenv("XDG_DATA_HOME", "relative/data", 1);
    setenv("HOME", path("home").c_str(), 1);
    files->setWritablePath("");
    EXPECT_EQ(files->getWritablePath(), path("home") + "/.local/share/PavluneApps/");
    unsetenv("XDG_DATA_HOME");
    files->setWritablePath("");
    EXPECT_EQ(files->getWritablePath(), path("home") + "/.local/share/PavluneApps/");
    EXPECT_TRUE(files->isDirectoryExist(path("home/.local/share/PavluneApps")));

    if (savedXdg) {
        setenv("XDG_DATA_HOME", savedXdgValue.c_str(), 1);
    }
    if (savedHome) {
        setenv("HOME", savedHomeValue.c_str(), 1);
    }
}

TEST_F(FileUtilsTest, ResourcesAreFoundInTheSearchPathsInOrder) {
    fs::create_directories(folder / "first/res");
    fs::create_directories(folder / "second/res");
    writeBytes(folder / "first/res/both.png", "1");
    writeBytes(folder / "second/res/both.png", "2");
    writeBytes(folder / "second/res/only.png", "2");
    files->setSearchPaths({path("first"), path("second") + "/"});

    EXPECT_EQ(files->fullPathForFilename("res/both.png"), path("first") + "/res/both.png");
    EXPECT_EQ(files->fullPathForFilename("res/only.png"), path("second") + "/res/only.png");
    EXPECT_EQ(files->fullPathForFilename("res/none.png"), "");
    EXPECT_EQ(files->fullPathForFilename("res"), ""); // a folder is not a resource
    EXPECT_EQ(files->fullPathForFilename(path("first/res/both.png")), path("first/res/both.png"));
    EXPECT_EQ(files->getStringFromFile("res/only.png"), "2");
}

TEST_F(FileUtilsTest, DevelopmentBuildFindsFilesInTheSourceTree) {
    const auto paths = files->getSearchPaths();
    EXPECT_NE(std::find(paths.begin(), paths.end(), pavlune::test::sourceRoot().string() + "/"), paths.end());
    EXPECT_EQ(files->fullPathForFilename("tests/engine/data/apple_style.plist"),
              dataFolder + "apple_style.plist");
    EXPECT_EQ(files->getValueMapFromFile("tests/engine/data/apple_style.plist").at("count").asInt(), 12);
}

TEST(PlistCodecTest, RejectsValuesThatAreNotCollectionsAndGarbage) {
    EXPECT_EQ(engine::PlistCodec::toXml(Value(3)), "");
    EXPECT_FALSE(engine::PlistCodec::parse(std::string()).has_value());
    EXPECT_FALSE(engine::PlistCodec::parse(std::string("<plist><dict><key>a</key>")).has_value());
    EXPECT_FALSE(engine::PlistCodec::parse(std::string("bplist00\x01\x02", 10)).has_value());
    // Null members have no plist form and are left out.
    const auto back =
        engine::PlistCodec::parse(engine::PlistCodec::toXml(ValueMap{{"kept", Value(1)}, {"null", Value()}}));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->asValueMap().size(), 1u);
}

} // namespace
