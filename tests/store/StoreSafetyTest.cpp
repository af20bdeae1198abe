// The store against lists it did not write: paths leading elsewhere, damaged
// and out-of-range lists, and a store that cannot be written.
#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "store/SaveDataManager.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/UnreadableFile.h"
#include "tests/support/WritesFail.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

using StoreSafetyTest = StoreFixture;
using SaveResult = SaveDataManager::SaveResult;

TEST_F(StoreSafetyTest, PathsInTheListNeverLeadTheStoreToOtherFiles) {
    writeBytes(root / "victim.txt", "not the store's");
    writeProgram(1, 1);
    writeProgram(2, 2);
    writeBytes(root / "savedatas/img1.png", "png");
    writeBytes(root / "savedatas/list.plist",
               listXml("2", entryXml("1", "stray",
                                     "<key>path</key><string>savedatas/../victim.txt</string>"
                                     "<key>imagepath</key><string>savedatas/2.plist</string>") +
                                entryXml("2", "two")));

    SaveDataManager* store = openStore();
    SaveData* stray = store->getDatas().at(0);
    EXPECT_EQ(store->loadProgram(stray).size(), 1u); // its own file
    EXPECT_EQ(store->getImageFullPath(stray), (root / "savedatas/img1.png").string());
    ASSERT_TRUE(store->removeData(stray));

    EXPECT_EQ(readBytes(root / "victim.txt"), "not the store's");
    EXPECT_TRUE(fs::exists(root / "savedatas/2.plist"));
    EXPECT_FALSE(fs::exists(root / "savedatas/1.plist"));
    EXPECT_FALSE(fs::exists(root / "savedatas/img1.png"));
    EXPECT_EQ(openStore()->getDatas().at(0)->path, "savedatas/2.plist");
}

TEST_F(StoreSafetyTest, AStoreThatCannotBeWrittenKeepsRenamesAndDeletesUndone) {
    writeProgram(1, 1);
    writeProgram(2, 2);
    writeBytes(root / "savedatas/list.plist", listXml("2", entryXml("2", "two") + entryXml("1", "one")));
    SaveDataManager* store = openStore();
    SaveData* two = store->getDatas().at(0);
    SaveData* one = store->getDatas().at(1);
    const std::string listBefore = readBytes(root / "savedatas/list.plist");
    {
        WritesFail readOnly;
        EXPECT_FALSE(store->renameData(one, "renamed"));
        EXPECT_FALSE(store->removeData(two));
    }
    const std::vector<std::pair<int, std::string>> asOnDisk{{2, "two"}, {1, "one"}};
    EXPECT_EQ(entriesOf(store), asOnDisk);
    EXPECT_TRUE(fs::exists(root / "savedatas/2.plist"));
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), listBefore);
    EXPECT_EQ(entriesOf(openStore()), asOnDisk);

    // Writable again: both go through.
    EXPECT_TRUE(store->renameData(one, "renamed"));
    EXPECT_TRUE(store->removeData(two));
    EXPECT_EQ(entriesOf(openStore()), (std::vector<std::pair<int, std::string>>{{1, "renamed"}}));
}

// Catches a failure that loses its cause: each failed write keeps the file
// and the system's text, and logs them (component "store") for whoever reads
// the terminal, while the screens show only their own words.
TEST_F(StoreSafetyTest, AFailedWriteCarriesAndLogsTheSystemsReason) {
    SaveDataManager* store = openStore();
    SaveData* saved = SaveData::create();
    ASSERT_EQ(store->saveProgram(saved, ValueVector{}), SaveDataManager::SaveResult::Added);
    SaveData* fresh = SaveData::create();
    const std::string denied = std::strerror(EACCES);
    const engine::Log::Capture log;
    struct Case {
        const char* what;
        std::function<bool()> write;
        std::string file; // relative to the store's root
    };
    const std::vector<Case> cases{
        {"a listed program", [&] { return store->saveProgram(saved, ValueVector{}) != SaveResult::Failed; },
         "savedatas/1.plist"},
        {"a new program", [&] { return store->saveProgram(fresh, ValueVector{}) != SaveResult::Failed; },
         "savedatas/2.plist"},
        {"a new title", [&] { return store->renameData(saved, "renamed"); }, "savedatas/list.plist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool written = true;
        {
            const UnreadableFile lockedFolder((root / "savedatas").string());
            written = c.write();
        }
        EXPECT_FALSE(written);
        ASSERT_TRUE(store->getLastFailure().has_value());
        EXPECT_EQ(store->getLastFailure()->kind, SaveDataManager::Problem::Kind::NotWritten);
        EXPECT_EQ(store->getLastFailure()->file, c.file);
        EXPECT_EQ(store->getLastFailure()->detail, denied);
        EXPECT_EQ(log.linesWith({"pavlune error store: ", (root / c.file).string(), denied}).size(), 1u);
    }
    EXPECT_EQ(log.lines().size(), cases.size()) << "one line per failure";
    EXPECT_TRUE(store->renameData(saved, "renamed"));
    EXPECT_FALSE(store->getLastFailure().has_value()) << "a write that succeeds clears the failure";
}

// Catches a damaged list written over when it could not be set aside (the
// rebuilt list would replace every title that could not be read). Here the
// set-aside name is too long for the system while the list's temporary
// sibling, 12 characters shorter, still fits: a store folder deep enough that
// the list's path is 4078 characters long.
TEST_F(StoreSafetyTest, ADamagedListThatCannotBeSetAsideIsNeverOverwritten) {
    const std::string tail = "/savedatas/list.plist";
    const std::size_t listPathLength = 4078; // + ".tmp-XXXXXX" fits PATH_MAX, + ".damaged-<time>" does not
    fs::path deep = root;
    for (std::size_t left = listPathLength - tail.size() - deep.string().size(); left > 0;) {
        std::size_t name = std::min<std::size_t>(left - 1, 200);
        name -= left - 1 - name == 1 ? 1 : 0; // never leave room for a lone separator
        deep /= std::string(name, 'd');
        left -= name + 1;
    }
    ASSERT_EQ((deep.string() + tail).size(), listPathLength);
    fs::create_directories(deep / "savedatas");
    FileUtils::getInstance()->setWritablePath(deep.string());
    const fs::path list = deep / "savedatas/list.plist";
    const std::string whole = listXml("2", entryXml("2", "two") + entryXml("1", "one"));
    const std::string damaged = whole.substr(0, whole.size() - 40);
    writeBytes(list, damaged);

    SaveDataManager* store = openStore();
    ASSERT_EQ(entriesOf(store).at(0), (std::pair<int, std::string>{2, "two"}))
        << "what could be read is shown";
    EXPECT_FALSE(store->renameData(store->getDatas().at(0), "renamed")) << "the list cannot be written";
    EXPECT_EQ(readBytes(list), damaged);
    EXPECT_EQ(std::distance(fs::directory_iterator(deep / "savedatas"), fs::directory_iterator()), 1)
        << "no temporary file left behind";
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

TEST_F(StoreSafetyTest, DamagedListsKeepWhatCanBeRead) {
    struct Case {
        const char* name;
        std::string list;
        std::vector<std::pair<int, std::string>> entries;
        int lastid;
    };
    // Program files 1..4 exist; their file time names those the list cannot.
    const std::string byTime = "2025/12/5 9:3:7";
    const Case cases[] = {
        {"cut off inside an entry",
         listXml("4", entryXml("3", "ロボ &amp; &lt;x&gt;") + entryXml("2", "two") + entryXml("1", "cut"))
             .substr(0,
                     listXml("4", entryXml("3", "ロボ &amp; &lt;x&gt;") + entryXml("2", "two")).size() - 40),
         {{4, byTime}, {3, "ロボ & <x>"}, {2, "two"}, {1, byTime}},
         4},
        {"a broken tag in the middle",
         listXml("4", entryXml("4", "four") + "<dict><key>identifer</key><integer>3</intger></dict>" +
                          entryXml("2", "two")),
         {{4, "four"}, {3, byTime}, {2, "two"}, {1, byTime}},
         4},
        {"an identifier beyond the integer range",
         listXml("4", entryXml("99999999999", "huge") + entryXml("2", "two")),
         {{4, byTime}, {3, byTime}, {2, "two"}, {1, byTime}},
         4},
        {"a lastid beyond the integer range",
         listXml("99999999999", entryXml("2", "two")),
         {{4, byTime}, {3, byTime}, {2, "two"}, {1, byTime}},
         4},
        // Over the reader's limits, yet readable: a title too long to keep is
        // named by its time stamp, the others keep theirs.
        {"a title of 2 MB",
         listXml("4",
                 entryXml("4", "four") + entryXml("3", std::string(2u << 20, 'x')) + entryXml("2", "two")),
         {{4, "four"}, {3, "2026/1/2 3:4:5"}, {2, "two"}, {1, byTime}},
         4},
        {"600,000 values in one entry",
         listXml("4", entryXml("4", "four") +
                          entryXml("3", "three",
                                   "<key>x</key><array>" + repeated("<true/>", 600000) + "</array>") +
                          entryXml("2", "two")),
         {{4, "four"}, {3, "three"}, {2, "two"}, {1, byTime}},
         4},
        {"100 levels in one entry",
         listXml("4", entryXml("4", "four") +
                          entryXml("3", "three",
                                   "<key>x</key>" + repeated("<array>", 100) + repeated("</array>", 100)) +
                          entryXml("2", "two")),
         {{4, "four"}, {3, "three"}, {2, "two"}, {1, byTime}},
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root / "savedatas");
        fs::create_directories(root / "savedatas");
        for (int identifier = 1; identifier <= 4; ++identifier) {
            writeProgram(identifier, identifier);
        }
        writeBytes(root / "savedatas/list.plist", c.list);

        SaveDataManager* store = openStore();
        EXPECT_EQ(entriesOf(store), c.entries);
        EXPECT_EQ(store->getLastId(), c.lastid);
        EXPECT_TRUE(hasDamagedCopy());
        EXPECT_EQ(entriesOf(openStore()), c.entries); // and the rebuilt list was written
    }
}

} // namespace
