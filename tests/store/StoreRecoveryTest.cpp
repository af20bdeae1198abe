// What the store finds at start besides a sound list: program files the list
// does not name, temporary files of interrupted writes, files nested too
// deep to read, files it may not open, and identifiers at the end of the range.
#include "engine/base/FileUtils.h"
#include "store/SaveDataManager.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/BinaryPlist.h"
#include "tests/support/HostilePlists.h"
#include "tests/support/UnreadableFile.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>

using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using Problem = SaveDataManager::Problem;

namespace {

class StoreRecoveryTest : public StoreFixture {
protected:
    // A store whose clock stands at 2026-01-01 0:00:00.
    SaveDataManager* openStore() {
        SaveDataManager* store = SaveDataManager::create([] {
            std::tm newYear{};
            newYear.tm_year = 126;
            newYear.tm_mday = 1;
            return newYear;
        });
        store->retain();
        stores.push_back(store);
        return store;
    }

    std::vector<std::string> folderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root / "savedatas")) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static ValueVector oneCard(int index) {
        return ValueVector{Value(ValueMap{{"tab", Value(0)}, {"index", Value(index)}})};
    }
};

TEST_F(StoreRecoveryTest, AProgramWrittenJustBeforeACrashIsListedAgain) {
    SaveDataManager* first = openStore();
    first->saveProgram(SaveData::create(), oneCard(1));
    // The next save got as far as its program file, not the list.
    writeProgram(2, 3, 1764925387); // 2025-12-05 09:03:07 UTC
    writeProgram(3, 1, 1764925400);

    SaveDataManager* store = openStore();
    EXPECT_EQ(entriesOf(store), (std::vector<std::pair<int, std::string>>{
                                    {3, "2025/12/5 9:3:20"}, {2, "2025/12/5 9:3:7"}, {1, "2026/1/1 0:0:0"}}))
        << "newest first, named by the file's time";
    EXPECT_EQ(store->getLastId(), 3);
    EXPECT_EQ(store->loadProgram(store->getDatas().at(1)).size(), 3u);
    EXPECT_EQ(entriesOf(openStore()), entriesOf(store)) << "and the list was written";
}

TEST_F(StoreRecoveryTest, LeftoverTemporaryFilesAreRemovedAndOthersKept) {
    writeProgram(1, 1);
    const std::vector<std::string> leftovers = {".list.plist.tmp-a1B2c3", ".1.plist.tmp-XyZ789",
                                                ".img1.png.tmp-000000", "img1.png.tmp"};
    const std::vector<std::string> kept = {".notes.tmp-abcdef", ".1.plist.tmp-abc", "1.plist.tmp",
                                           "photo.png.tmp"};
    for (const auto& name : leftovers) {
        writeBytes(root / "savedatas" / name, "half");
    }
    for (const auto& name : kept) {
        writeBytes(root / "savedatas" / name, "someone else's");
    }
    openStore();
    std::vector<std::string> expected = kept;
    expected.insert(expected.end(), {"1.plist", "list.plist"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderNames(), expected);
}

TEST_F(StoreRecoveryTest, ListsNestedTooDeepAreSetAsideAndTold) {
    std::vector<HostilePlist> lists = hostilePlists("datas");
    lists.push_back({"XML", nestedArraysXml(100000)});
    lists.push_back({"binary", nestedArraysBinary(100000)});
    for (const auto& [kind, bytes] : lists) {
        SCOPED_TRACE(kind);
        fs::remove_all(root / "savedatas");
        fs::create_directories(root / "savedatas");
        writeProgram(4, 2);
        writeBytes(root / "savedatas/list.plist", bytes);

        SaveDataManager* store = openStore();
        EXPECT_EQ(entriesOf(store), (std::vector<std::pair<int, std::string>>{{4, "2025/12/5 9:3:7"}}));
        const std::vector<Problem> problems = store->takeListProblems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].kind, Problem::Kind::SetAside);
        EXPECT_EQ(problems[0].file, "savedatas/list.plist");
        EXPECT_EQ(problems[0].detail, "savedatas/list.plist.damaged-20260101-000000");
        EXPECT_EQ(readBytes(root / problems[0].detail), bytes) << "kept whole";
        EXPECT_TRUE(store->takeListProblems().empty()) << "told once";
    }
}

TEST_F(StoreRecoveryTest, AProgramNestedTooDeepIsSetAsideWhenOpened) {
    SaveDataManager* store = openStore();
    SaveData* record = SaveData::create();
    ASSERT_EQ(store->saveProgram(record, oneCard(1)), SaveDataManager::SaveResult::Added);
    std::vector<HostilePlist> programs = hostilePlists("cards");
    programs.push_back({"binary", nestedArraysBinary(100000)});
    for (const auto& [kind, deep] : programs) {
        SCOPED_TRACE(kind);
        writeBytes(root / "savedatas/1.plist", deep);
        std::optional<Problem> problem;
        EXPECT_TRUE(store->loadProgram(record, &problem).empty());
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(problem->kind, Problem::Kind::SetAside);
        EXPECT_EQ(problem->file, "savedatas/1.plist");
        EXPECT_EQ(readBytes(root / problem->detail), deep);
        fs::remove(root / problem->detail);
        EXPECT_EQ(store->saveProgram(record, oneCard(2)), SaveDataManager::SaveResult::Updated)
            << "the program goes on in a fresh file";
    }
}

TEST_F(StoreRecoveryTest, AnUnreadableListIsLeftAloneAndNeverWrittenOver) {
    openStore()->saveProgram(SaveData::create(), oneCard(1));
    const fs::path list = root / "savedatas/list.plist";
    const std::string before = readBytes(list);

    SaveDataManager* store = nullptr;
    SaveDataManager::SaveResult added{};
    {
        UnreadableFile locked(list.string());
        store = openStore();
        added = store->saveProgram(SaveData::create(), oneCard(2));
    }
    EXPECT_EQ(entriesOf(store).at(0).first, 1) << "the programs are still shown";
    const std::vector<Problem> problems = store->takeListProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, Problem::Kind::Unreadable);
    EXPECT_EQ(problems[0].file, "savedatas/list.plist");
    EXPECT_EQ(problems[0].detail, "Permission denied");
    EXPECT_EQ(added, SaveDataManager::SaveResult::Failed) << "a new program would need the list";
    EXPECT_EQ(readBytes(list), before);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"1.plist", "list.plist"}));
}

// Catches a folder that cannot be searched read as a missing list: the list
// was empty with no word, and rebuilt over the real one once it could be.
TEST_F(StoreRecoveryTest, AFolderThatCannotBeSearchedIsToldAndLeftAlone) {
    openStore()->saveProgram(SaveData::create(), oneCard(1));
    const std::string before = readBytes(root / "savedatas/list.plist");
    SaveDataManager* store = nullptr;
    {
        UnreadableFile locked((root / "savedatas").string());
        store = openStore();
        store->saveProgram(SaveData::create(), oneCard(2));
    }
    const std::vector<Problem> problems = store->takeListProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, Problem::Kind::Unreadable);
    EXPECT_EQ(problems[0].file, "savedatas/list.plist");
    EXPECT_EQ(problems[0].detail, "Permission denied");
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), before);
    EXPECT_EQ(entriesOf(openStore()).size(), 1u) << "the list is whole once it can be read";
}

// Catches a folder in the next program's place taken for free: every new
// program then failed to save.
TEST_F(StoreRecoveryTest, ANameTakenByAFolderIsSkippedForTheNextFreeNumber) {
    SaveDataManager* store = openStore();
    fs::create_directories(root / "savedatas/1.plist");
    fs::create_directories(root / "savedatas/img2.png");
    SaveData* record = SaveData::create();
    EXPECT_EQ(store->saveProgram(record, oneCard(1)), SaveDataManager::SaveResult::Added);
    EXPECT_EQ(record->identifier, 3);
    EXPECT_TRUE(fs::is_directory(root / "savedatas/1.plist"));
}

TEST_F(StoreRecoveryTest, AnUnreadableProgramIsLeftAloneUntilItCanBeRead) {
    SaveDataManager* store = openStore();
    SaveData* record = SaveData::create();
    store->saveProgram(record, oneCard(7));
    const fs::path file = root / "savedatas/1.plist";
    const std::string before = readBytes(file);

    std::optional<Problem> problem;
    SaveDataManager::SaveResult saved{};
    {
        UnreadableFile locked(file.string());
        EXPECT_TRUE(store->loadProgram(record, &problem).empty());
        saved = store->saveProgram(record, ValueVector{});
    }
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->kind, Problem::Kind::Unreadable);
    EXPECT_EQ(problem->detail, "Permission denied");
    EXPECT_EQ(saved, SaveDataManager::SaveResult::Failed) << "an empty field must not replace it";
    EXPECT_EQ(readBytes(file), before);

    problem.reset();
    EXPECT_EQ(store->loadProgram(record, &problem), oneCard(7));
    EXPECT_FALSE(problem.has_value());
    EXPECT_EQ(store->saveProgram(record, oneCard(8)), SaveDataManager::SaveResult::Updated);
}

TEST_F(StoreRecoveryTest, IdentifiersAtTheEndOfTheRangeNeverOverflow) {
    const std::string max = std::to_string(INT_MAX);
    writeBytes(root / "savedatas/list.plist", listXml(max, entryXml(max, "last") + entryXml("1", "first")));
    writeProgram(1, 1);
    SaveDataManager* store = openStore();
    SaveData* record = SaveData::create();
    ASSERT_EQ(store->saveProgram(record, oneCard(3)), SaveDataManager::SaveResult::Added);
    EXPECT_EQ(record->identifier, 2) << "the lowest number that no entry and no file uses";
    EXPECT_EQ(store->getLastId(), INT_MAX);
    EXPECT_EQ(openStore()->getDatas().size(), 3u);
}

TEST_F(StoreRecoveryTest, EntriesSharingAnIdentifierGetFilesOfTheirOwn) {
    writeBytes(root / "savedatas/list.plist",
               listXml("5", entryXml("5", "mine") + entryXml("5", "yours") + entryXml("2", "other")));
    writeProgram(5, 3);
    writeBytes(root / "savedatas/img5.png", "picture");
    SaveDataManager* store = openStore();
    ASSERT_EQ(entriesOf(store),
              (std::vector<std::pair<int, std::string>>{{5, "mine"}, {6, "yours"}, {2, "other"}}));
    EXPECT_EQ(readBytes(root / "savedatas/img6.png"), "picture");

    ASSERT_TRUE(store->removeData(store->getDatas().at(0)));
    SaveDataManager* reopened = openStore();
    ASSERT_EQ(entriesOf(reopened), (std::vector<std::pair<int, std::string>>{{6, "yours"}, {2, "other"}}));
    EXPECT_EQ(reopened->loadProgram(reopened->getDatas().at(0)).size(), 3u)
        << "the other entry keeps its program";
}

TEST_F(StoreRecoveryTest, ATitleTheListCouldNotBeReadWithIsRefused) {
    SaveDataManager* store = openStore();
    SaveData* record = SaveData::create();
    store->saveProgram(record, oneCard(1));
    EXPECT_TRUE(store->renameData(record, std::string(SaveDataManager::kMaxTitleBytes, 'a')));
    EXPECT_FALSE(store->renameData(record, std::string(1u << 20, 'b')));
    EXPECT_EQ(record->title, std::string(SaveDataManager::kMaxTitleBytes, 'a'));
    SaveDataManager* reopened = openStore();
    EXPECT_TRUE(reopened->takeListProblems().empty());
    EXPECT_EQ(reopened->getDatas().at(0)->title.size(), SaveDataManager::kMaxTitleBytes);
}

// Catches control characters written raw into the list's XML (the list is
// then damaged for every reader) and a NUL that cuts the title silently.
TEST_F(StoreRecoveryTest, TitlesWithControlCharactersAreRefused) {
    SaveDataManager* store = openStore();
    SaveData* record = SaveData::create();
    store->saveProgram(record, oneCard(1));
    ASSERT_TRUE(store->renameData(record, "ロボ\tカー"));
    const std::string refused[] = {std::string("ab\0cd", 5), "a\x01", "\x1b[2J", "x\x7f"};
    for (const std::string& title : refused) {
        EXPECT_FALSE(store->renameData(record, title)) << title.size();
        EXPECT_EQ(record->title, "ロボ\tカー");
    }
    SaveDataManager* reopened = openStore();
    EXPECT_TRUE(reopened->takeListProblems().empty());
    EXPECT_EQ(reopened->getDatas().at(0)->title, "ロボ\tカー");
}

TEST_F(StoreRecoveryTest, AReadOnlyStoreChangesNothing) {
    writeProgram(1, 1);
    writeProgram(2, 1);
    writeBytes(root / "savedatas/list.plist", nestedArraysXml(1000));
    writeBytes(root / "savedatas/.2.plist.tmp-abcdef", "half");
    const std::vector<std::string> before = folderNames();
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    EXPECT_EQ(store->getDatas().size(), 2u);
    EXPECT_EQ(store->saveProgram(SaveData::create(), oneCard(1)), SaveDataManager::SaveResult::Failed);
    EXPECT_EQ(folderNames(), before);

    fs::remove_all(root);
    SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    EXPECT_FALSE(fs::exists(root)) << "not even the folder is made";
    engine::AutoreleasePool::current().clear();
}

} // namespace
