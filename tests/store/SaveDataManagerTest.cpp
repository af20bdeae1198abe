#include "store/SaveDataManager.h"

#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WritesFail.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using SaveResult = SaveDataManager::SaveResult;

namespace {

const fs::path fixtureStore = pavlune::test::sourceRoot() / "tests/store/data/plistlib_store";

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

std::tm localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

ValueVector programWithCards(int count) {
    ValueVector program;
    for (int i = 0; i < count; ++i) {
        program.push_back(Value(ValueMap{{"tab", Value(0)},
                                         {"index", Value(i)},
                                         {"x", Value(100)},
                                         {"y", Value(40 * i)},
                                         {"zorder", Value(i)},
                                         {"value", Value(i % 2 ? "0.5" : "")}}));
    }
    return program;
}

std::vector<int> identifiersOf(const SaveDataManager* store) {
    std::vector<int> identifiers;
    for (const SaveData* data : store->getDatas()) {
        identifiers.push_back(data->identifier);
    }
    return identifiers;
}

class SaveDataManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        FileUtils::getInstance()->setWritablePath(root.string());
        now = localTime(2026, 12, 5, 9, 3, 7);
    }

    void TearDown() override {
        for (SaveData* data : records) {
            data->release();
        }
        for (SaveDataManager* store : stores) {
            store->release();
        }
        engine::AutoreleasePool::current().clear();
        FileUtils::getInstance()->setWritablePath("");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    // A store as a new process would load it.
    SaveDataManager* openStore() {
        SaveDataManager* store = SaveDataManager::create([this] { return now; });
        store->retain();
        stores.push_back(store);
        return store;
    }

    // A record the way the editor makes one for a new program.
    SaveData* newRecord() {
        SaveData* data = SaveData::create();
        data->retain();
        records.push_back(data);
        return data;
    }

    ValueMap listFile() const {
        return FileUtils::getInstance()->getValueMapFromFile((root / "savedatas/list.plist").string());
    }

    fs::path root;
    std::tm now{};
    std::vector<SaveDataManager*> stores;
    std::vector<SaveData*> records;
};

TEST(SaveDataTimeStampTest, NumbersHaveNoLeadingZeros) {
    EXPECT_EQ(SaveDataManager::formatTimeStamp(localTime(2027, 3, 1, 8, 5, 9)), "2027/3/1 8:5:9");
    EXPECT_EQ(SaveDataManager::formatTimeStamp(localTime(2026, 12, 5, 9, 3, 7)), "2026/12/5 9:3:7");
    EXPECT_EQ(SaveDataManager::formatTimeStamp(localTime(2030, 10, 31, 0, 0, 0)), "2030/10/31 0:0:0");
    EXPECT_EQ(SaveDataManager::formatTimeStamp(localTime(2026, 1, 10, 23, 59, 59)), "2026/1/10 23:59:59");
}

TEST_F(SaveDataManagerTest, FirstStartCreatesTheFolderAndAnEmptyList) {
    ASSERT_FALSE(fs::exists(root / "savedatas"));
    SaveDataManager* store = openStore();
    EXPECT_TRUE(store->getDatas().empty());
    EXPECT_EQ(store->getLastId(), 0);
    EXPECT_EQ(store->getRootPath(), root.string() + "/");

    ASSERT_TRUE(fs::is_regular_file(root / "savedatas/list.plist"));
    const ValueMap list = listFile();
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(engine::valueForKey(list, "lastid").getType(), Value::Type::INTEGER);
    EXPECT_EQ(engine::valueForKey(list, "lastid").asInt(), 0);
    EXPECT_EQ(engine::valueForKey(list, "datas").getType(), Value::Type::VECTOR);
    EXPECT_TRUE(engine::valueForKey(list, "datas").asValueVector().empty());
}

TEST_F(SaveDataManagerTest, NewProgramsAreNumberedInOrderAndListedNewestFirstAlsoAfterRestart) {
    SaveDataManager* store = openStore();
    SaveData* first = newRecord();
    SaveData* second = newRecord();
    SaveData* third = newRecord();
    EXPECT_EQ(store->saveProgram(first, programWithCards(1)), SaveResult::Added);
    now = localTime(2027, 3, 1, 8, 5, 9);
    EXPECT_EQ(store->saveProgram(second, programWithCards(2)), SaveResult::Added);
    EXPECT_EQ(store->saveProgram(third, programWithCards(3)), SaveResult::Added);

    EXPECT_EQ(identifiersOf(store), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(store->getLastId(), 3);
    EXPECT_EQ(first->path, "savedatas/1.plist");
    EXPECT_EQ(first->imagepath, "savedatas/img1.png");
    EXPECT_EQ(third->path, "savedatas/3.plist");
    EXPECT_EQ(first->title, "2026/12/5 9:3:7");
    EXPECT_EQ(first->modify, "2026/12/5 9:3:7");
    EXPECT_EQ(second->title, "2027/3/1 8:5:9");
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(fs::is_regular_file(root / ("savedatas/" + std::to_string(n) + ".plist"))) << n;
    }
    EXPECT_EQ(store->getImageFullPath(second), root.string() + "/savedatas/img2.png");

    // The file uses the key "identifer" and keeps the list order.
    const ValueVector entries = engine::valueForKey(listFile(), "datas").asValueVector();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(engine::valueForKey(entries[0].asValueMap(), "identifer").asInt(), 3);
    EXPECT_EQ(engine::valueForKey(entries[2].asValueMap(), "identifer").asInt(), 1);
    EXPECT_EQ(entries[2].asValueMap().size(), 5u);

    SaveDataManager* restarted = openStore();
    EXPECT_EQ(identifiersOf(restarted), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(restarted->getLastId(), 3);
    const SaveData* reloaded = restarted->getDatas().at(1);
    EXPECT_EQ(reloaded->title, "2027/3/1 8:5:9");
    EXPECT_EQ(reloaded->modify, "2027/3/1 8:5:9");
    EXPECT_EQ(reloaded->path, "savedatas/2.plist");
    EXPECT_EQ(reloaded->imagepath, "savedatas/img2.png");
    EXPECT_EQ(Value(restarted->loadProgram(restarted->getDatas().at(0))), Value(programWithCards(3)));
}

TEST_F(SaveDataManagerTest, ResavingRewritesOnlyTheProgramFile) {
    SaveDataManager* store = openStore();
    SaveData* first = newRecord();
    SaveData* second = newRecord();
    store->saveProgram(first, programWithCards(1));
    store->saveProgram(second, programWithCards(1));
    const std::string listBefore = readBytes(root / "savedatas/list.plist");
    const std::string firstBefore = readBytes(root / "savedatas/1.plist");

    now = localTime(2027, 1, 2, 3, 4, 5);
    EXPECT_EQ(store->saveProgram(second, programWithCards(4)), SaveResult::Updated);
    EXPECT_EQ(Value(store->loadProgram(second)), Value(programWithCards(4)));
    EXPECT_EQ(second->title, "2026/12/5 9:3:7");
    EXPECT_EQ(second->modify, "2026/12/5 9:3:7");
    EXPECT_EQ(second->identifier, 2);
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{2, 1}));
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), listBefore);
    EXPECT_EQ(readBytes(root / "savedatas/1.plist"), firstBefore);
}

TEST_F(SaveDataManagerTest, DeletedIdentifiersAreNeverReused) {
    SaveDataManager* store = openStore();
    std::vector<SaveData*> saved;
    for (int i = 0; i < 3; ++i) {
        saved.push_back(newRecord());
        store->saveProgram(saved.back(), programWithCards(1));
    }
    writeBytes(root / "savedatas/img3.png", "png");
    writeBytes(root / "savedatas/img2.png", "png");

    store->removeData(saved[2]);
    EXPECT_FALSE(fs::exists(root / "savedatas/3.plist"));
    EXPECT_FALSE(fs::exists(root / "savedatas/img3.png"));
    EXPECT_TRUE(fs::exists(root / "savedatas/img2.png"));
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{2, 1}));
    EXPECT_EQ(engine::valueForKey(listFile(), "lastid").asInt(), 3);

    SaveData* fourth = newRecord();
    EXPECT_EQ(store->saveProgram(fourth, programWithCards(1)), SaveResult::Added);
    EXPECT_EQ(fourth->identifier, 4);

    // Deleting from the middle keeps the others in order, and a restart
    // still knows that 4 was handed out.
    store->removeData(saved[1]);
    store->removeData(fourth);
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{1}));
    SaveDataManager* restarted = openStore();
    EXPECT_EQ(identifiersOf(restarted), (std::vector<int>{1}));
    SaveData* fifth = newRecord();
    restarted->saveProgram(fifth, programWithCards(1));
    EXPECT_EQ(fifth->identifier, 5);
    EXPECT_EQ(identifiersOf(restarted), (std::vector<int>{5, 1}));
}

TEST_F(SaveDataManagerTest, TheManagerHoldsOneReferencePerEntry) {
    SaveDataManager* store = openStore();
    SaveData* data = newRecord();
    const unsigned int before = data->getReferenceCount();
    store->saveProgram(data, {});
    EXPECT_EQ(data->getReferenceCount(), before + 1);
    store->saveProgram(data, {});
    EXPECT_EQ(data->getReferenceCount(), before + 1);
    store->removeData(data);
    EXPECT_EQ(data->getReferenceCount(), before);
    store->removeData(data); // not listed any more: only the list is written
    EXPECT_EQ(data->getReferenceCount(), before);
}

TEST_F(SaveDataManagerTest, TitlesKeepEmptyAndAwkwardTextAcrossARestart) {
    SaveDataManager* store = openStore();
    SaveData* plain = newRecord();
    SaveData* awkward = newRecord();
    store->saveProgram(plain, {});
    store->saveProgram(awkward, {});
    plain->title = "";
    awkward->title = "LED <&> ]]> えらんだ";
    store->writeList();

    SaveDataManager* restarted = openStore();
    ASSERT_EQ(restarted->getDatas().size(), 2u);
    EXPECT_EQ(restarted->getDatas().at(0)->title, "LED <&> ]]> えらんだ");
    EXPECT_EQ(restarted->getDatas().at(1)->title, "");
    const ValueVector entries = engine::valueForKey(listFile(), "datas").asValueVector();
    EXPECT_EQ(engine::valueForKey(entries[1].asValueMap(), "title").getType(), Value::Type::STRING);
}

TEST_F(SaveDataManagerTest, LoadingAProgramNeedsARecordWithAPathAndAReadableFile) {
    SaveDataManager* store = openStore();
    EXPECT_TRUE(store->loadProgram(nullptr).empty());
    SaveData* unsaved = newRecord();
    EXPECT_TRUE(store->loadProgram(unsaved).empty());

    SaveData* saved = newRecord();
    store->saveProgram(saved, programWithCards(2));
    EXPECT_EQ(store->loadProgram(saved).size(), 2u);
    fs::remove(root / "savedatas/1.plist");
    EXPECT_TRUE(store->loadProgram(saved).empty());
}

// Catches a damaged program left in place, where the editor's first save of
// the empty field it opens would overwrite it.
TEST_F(SaveDataManagerTest, AProgramThatCannotBeReadIsKeptAsideNotLeftToBeOverwritten) {
    SaveDataManager* store = openStore();
    SaveData* saved = newRecord();
    store->saveProgram(saved, programWithCards(2));
    for (const char* damaged : {"<plist><array><dict>", "<plist><dict></dict></plist>"}) {
        SCOPED_TRACE(damaged);
        writeBytes(root / "savedatas/1.plist", damaged);
        EXPECT_TRUE(store->loadProgram(saved).empty());
        EXPECT_FALSE(fs::exists(root / "savedatas/1.plist"));
        bool kept = false;
        for (const auto& entry : fs::directory_iterator(root / "savedatas")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("1.plist.damaged-", 0) == 0 && readBytes(entry.path()) == damaged) {
                kept = true;
                fs::remove(entry.path());
            }
        }
        EXPECT_TRUE(kept);
    }
}

TEST_F(SaveDataManagerTest, ReadsAStoreWrittenByAnotherPlistWriter) {
    for (const char* listFileName : {"savedatas/list.plist", "list_binary.plist"}) {
        SCOPED_TRACE(listFileName);
        fs::remove_all(root / "savedatas");
        fs::copy(fixtureStore / "savedatas", root / "savedatas");
        fs::copy_file(fixtureStore / listFileName, root / "savedatas/list.plist",
                      fs::copy_options::overwrite_existing);

        SaveDataManager* store = openStore();
        EXPECT_EQ(identifiersOf(store), (std::vector<int>{5, 2}));
        EXPECT_EQ(store->getLastId(), 6);
        const SaveData* newest = store->getDatas().at(0);
        EXPECT_EQ(newest->title, "ロボットカー & <LED>");
        EXPECT_EQ(newest->modify, "2026/12/5 9:3:7");
        EXPECT_EQ(newest->path, "savedatas/5.plist");
        EXPECT_EQ(store->getDatas().at(1)->title, "");

        const ValueVector program = store->loadProgram(store->getDatas().at(0));
        ASSERT_EQ(program.size(), 1u);
        EXPECT_EQ(engine::valueForKey(program[0].asValueMap(), "value").asString(), "60");
        EXPECT_EQ(engine::valueForKey(program[0].asValueMap(), "y").asInt(), 655);

        SaveData* added = newRecord();
        store->saveProgram(added, {});
        EXPECT_EQ(added->identifier, 7);
        EXPECT_EQ(identifiersOf(store), (std::vector<int>{7, 5, 2}));
    }
}

TEST_F(SaveDataManagerTest, ListWithMissingKeysAndTooLowLastIdStillNeverReusesIdentifiers) {
    fs::create_directories(root / "savedatas");
    ValueVector entries{
        Value(ValueMap{
            {"identifer", Value(3)}, {"title", Value("three")}, {"path", Value("savedatas/3.plist")}}),
        Value("not an entry"),
        Value(ValueMap{{"title", Value(12)}}),
    };
    ASSERT_TRUE(FileUtils::getInstance()->writeValueMapToFile(
        {{"lastid", Value(1)}, {"datas", Value(entries)}}, (root / "savedatas/list.plist").string()));

    SaveDataManager* store = openStore();
    ASSERT_EQ(identifiersOf(store), (std::vector<int>{3, 0}));
    EXPECT_EQ(store->getLastId(), 3);
    SaveData* keyless = store->getDatas().at(1);
    EXPECT_EQ(keyless->title, "12");
    EXPECT_EQ(keyless->path, "");
    EXPECT_EQ(keyless->imagepath, "");
    EXPECT_TRUE(store->loadProgram(keyless).empty());

    // Deleting the entry without file names must not touch W itself.
    store->removeData(keyless);
    EXPECT_TRUE(fs::is_directory(root));
    EXPECT_TRUE(fs::is_regular_file(root / "savedatas/list.plist"));

    SaveData* added = newRecord();
    store->saveProgram(added, {});
    EXPECT_EQ(added->identifier, 4);
}

class DamagedListTest : public SaveDataManagerTest {
protected:
    void SetUp() override {
        SaveDataManagerTest::SetUp();
        const char* tz = std::getenv("TZ");
        savedTz = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "UTC", 1);
        tzset();
        fs::create_directories(root / "savedatas");
    }

    void TearDown() override {
        if (savedTz) {
            setenv("TZ", savedTz->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
        SaveDataManagerTest::TearDown();
    }

    void writeProgram(int identifier, std::time_t modified) {
        const fs::path file = root / ("savedatas/" + std::to_string(identifier) + ".plist");
        ASSERT_TRUE(
            FileUtils::getInstance()->writeValueVectorToFile(programWithCards(identifier), file.string()));
        setModificationTime(file, modified);
    }

    static void setModificationTime(const fs::path& file, std::time_t modified) {
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }

    std::vector<std::string> damagedCopies() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root / "savedatas")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("list.plist.damaged-", 0) == 0) {
                names.push_back(name);
            }
        }
        return names;
    }

    std::optional<std::string> savedTz;
};

TEST_F(DamagedListTest, UnparseableListIsKeptAsideAndTheListIsRebuiltFromTheFiles) {
    writeProgram(1, 1764925387); // 2025-12-05 09:03:07 UTC
    writeProgram(2, 1767225599); // 2025-12-31 23:59:59 UTC
    writeProgram(4, 1772323200); // 2026-03-01 00:00:00 UTC
    writeBytes(root / "savedatas/img5.png", "png without program");
    writeBytes(root / "savedatas/notes.plist", "not a program");
    writeBytes(root / "savedatas/07.plist", "leading zero: not ours");
    const std::string damaged = "<?xml version=\"1.0\"?><plist><dict><key>lastid</key><integer>4";
    writeBytes(root / "savedatas/list.plist", damaged);

    now = localTime(2026, 12, 5, 9, 3, 7);
    SaveDataManager* store = openStore();

    const auto copies = damagedCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0], "list.plist.damaged-20261205-090307");
    EXPECT_EQ(readBytes(root / "savedatas" / copies[0]), damaged);

    EXPECT_EQ(identifiersOf(store), (std::vector<int>{4, 2, 1}));
    EXPECT_EQ(store->getLastId(), 5);
    const SaveData* newest = store->getDatas().at(0);
    EXPECT_EQ(newest->title, "2026/3/1 0:0:0");
    EXPECT_EQ(newest->modify, "2026/3/1 0:0:0");
    EXPECT_EQ(newest->path, "savedatas/4.plist");
    EXPECT_EQ(newest->imagepath, "savedatas/img4.png");
    EXPECT_EQ(store->getDatas().at(2)->title, "2025/12/5 9:3:7");
    EXPECT_EQ(store->loadProgram(store->getDatas().at(1)).size(), 2u);

    // The rebuilt list was written and is what the next start reads.
    EXPECT_EQ(engine::valueForKey(listFile(), "datas").asValueVector().size(), 3u);
    SaveDataManager* restarted = openStore();
    EXPECT_EQ(identifiersOf(restarted), (std::vector<int>{4, 2, 1}));
    EXPECT_EQ(damagedCopies().size(), 1u);
    SaveData* added = newRecord();
    restarted->saveProgram(added, {});
    EXPECT_EQ(added->identifier, 6);
}

TEST_F(DamagedListTest, ListWithoutADatasArrayIsAlsoSetAsideAndItsLastIdKept) {
    writeProgram(2, 1764925387);
    ASSERT_TRUE(FileUtils::getInstance()->writeValueMapToFile(
        {{"lastid", Value(9)}, {"datas", Value("oops")}}, (root / "savedatas/list.plist").string()));
    const std::string damaged = readBytes(root / "savedatas/list.plist");

    SaveDataManager* store = openStore();
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{2}));
    EXPECT_EQ(store->getLastId(), 9);
    ASSERT_EQ(damagedCopies().size(), 1u);
    EXPECT_EQ(readBytes(root / "savedatas" / damagedCopies()[0]), damaged);

    // A second damaged list in the same second gets a name of its own.
    writeBytes(root / "savedatas/list.plist", "garbage");
    openStore();
    EXPECT_EQ(damagedCopies().size(), 2u);
}

TEST_F(DamagedListTest, MissingListWithProgramsPresentIsRebuiltRatherThanStartedEmpty) {
    writeProgram(1, 1764925387);
    writeProgram(3, 1764925387);
    SaveDataManager* store = openStore();
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{3, 1}));
    EXPECT_TRUE(damagedCopies().empty());

    SaveData* added = newRecord();
    store->saveProgram(added, {});
    EXPECT_EQ(added->identifier, 4);
    EXPECT_EQ(store->loadProgram(store->getDatas().at(2)).size(), 1u); // program 1 untouched
}

TEST_F(SaveDataManagerTest, FailedFirstSaveLeavesNoEntryThatCouldShareAnIdentifier) {
    SaveDataManager* store = openStore();
    // A full disk makes the first write of program 1's file fail.
    const std::string listBefore = readBytes(root / "savedatas/list.plist");

    SaveData* failing = newRecord();
    {
        WritesFail full;
        EXPECT_EQ(store->saveProgram(failing, programWithCards(2)), SaveResult::Failed);
    }
    EXPECT_TRUE(store->getDatas().empty());
    EXPECT_EQ(store->getLastId(), 0);
    EXPECT_EQ(failing->identifier, 0);
    EXPECT_EQ(failing->path, "");
    EXPECT_EQ(failing->imagepath, "");
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), listBefore);
    EXPECT_TRUE(store->loadProgram(failing).empty());

    // The disk has room again; another new program takes identifier 1, and
    // the first record, saved again, becomes a new entry of its own.
    SaveData* other = newRecord();
    EXPECT_EQ(store->saveProgram(other, programWithCards(1)), SaveResult::Added);
    EXPECT_EQ(store->saveProgram(failing, programWithCards(2)), SaveResult::Added);
    EXPECT_EQ(other->identifier, 1);
    EXPECT_EQ(failing->identifier, 2);
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{2, 1}));
    EXPECT_EQ(store->loadProgram(other).size(), 1u);
    EXPECT_EQ(store->loadProgram(failing).size(), 2u);

    std::set<std::string> paths;
    for (const SaveData* data : openStore()->getDatas()) {
        EXPECT_TRUE(paths.insert(data->path).second) << data->path;
        EXPECT_TRUE(paths.insert(data->imagepath).second) << data->imagepath;
    }
}

// A first save counts only once the list names the program: a program file
// that the list does not name is lost from the list at the next start.
TEST_F(SaveDataManagerTest, FirstSaveThatCannotWriteTheListFails) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "nothing can be written" : "only the list is in the way");
        fs::remove_all(root / "savedatas");
        SaveDataManager* store = openStore();
        const std::string listBefore = readBytes(root / "savedatas/list.plist");
        SaveData* data = newRecord();
        {
            std::optional<WritesFail> writesFail;
            if (readOnly) {
                writesFail.emplace();
            } else {
                fs::remove(root / "savedatas/list.plist");
                fs::create_directories(root / "savedatas/list.plist/blocked");
            }
            EXPECT_EQ(store->saveProgram(data, programWithCards(2)), SaveResult::Failed);
        }
        EXPECT_TRUE(store->getDatas().empty());
        EXPECT_EQ(store->getLastId(), 0);
        EXPECT_EQ(data->identifier, 0);
        EXPECT_FALSE(fs::exists(root / "savedatas/1.plist"));

        fs::remove_all(root / "savedatas/list.plist");
        writeBytes(root / "savedatas/list.plist", listBefore);
        EXPECT_EQ(store->saveProgram(data, programWithCards(2)), SaveResult::Added);
        EXPECT_EQ(identifiersOf(openStore()), (std::vector<int>{1}));
    }
}

TEST_F(SaveDataManagerTest, ProgramFileLeftUnlistedByACrashIsNeverOverwritten) {
    SaveDataManager* store = openStore();
    store->saveProgram(newRecord(), programWithCards(1));
    // As if the process died after writing program 2 but before the list.
    writeBytes(root / "savedatas/2.plist", "orphan");
    writeBytes(root / "savedatas/img3.png", "png");

    SaveDataManager* restarted = openStore();
    SaveData* next = newRecord();
    restarted->saveProgram(next, programWithCards(2));
    EXPECT_EQ(next->identifier, 4);
    EXPECT_EQ(readBytes(root / "savedatas/2.plist"), "orphan");
    EXPECT_EQ(engine::valueForKey(listFile(), "lastid").asInt(), 4);
}

TEST_F(SaveDataManagerTest, FailedResaveKeepsTheEntryAndTheList) {
    SaveDataManager* store = openStore();
    SaveData* data = newRecord();
    store->saveProgram(data, programWithCards(1));
    const std::string listBefore = readBytes(root / "savedatas/list.plist");
    fs::remove(root / "savedatas/1.plist");
    fs::create_directories(root / "savedatas/1.plist/blocked");

    EXPECT_EQ(store->saveProgram(data, programWithCards(3)), SaveResult::Failed);
    EXPECT_EQ(identifiersOf(store), (std::vector<int>{1}));
    EXPECT_EQ(data->path, "savedatas/1.plist");
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), listBefore);
}

TEST_F(SaveDataManagerTest, SavingRecreatesAFolderRemovedWhileRunning) {
    SaveDataManager* store = openStore();
    fs::remove_all(root / "savedatas");
    SaveData* data = newRecord();
    store->saveProgram(data, programWithCards(1));
    EXPECT_TRUE(fs::is_regular_file(root / "savedatas/1.plist"));
    EXPECT_EQ(engine::valueForKey(listFile(), "lastid").asInt(), 1);
}

} // namespace

// Background saves: the answer comes at once, readers and the list see the
// newest state, a failure reaches the handler on the main thread, and a
// removal is never undone by a write that was still queued.
TEST_F(SaveDataManagerTest, BackgroundSavesReachTheDiskInOrderAndTellTheirOutcome) {
    SaveDataManager* store = openStore();
    SaveData* data = newRecord();
    ASSERT_EQ(store->saveProgram(data, programWithCards(1)), SaveDataManager::SaveResult::Added);

    std::vector<std::function<void()>> posted; // the main thread's queue
    std::vector<bool> outcomes;
    store->writeInBackground([&](std::function<void()> closure) { posted.push_back(std::move(closure)); });
    store->setWriteOutcomeHandler([&](bool written) { outcomes.push_back(written); });
    auto runPosted = [&] {
        store->finishWrites();
        for (auto& closure : posted) {
            closure();
        }
        posted.clear();
    };

    EXPECT_EQ(store->saveProgram(data, programWithCards(2)), SaveDataManager::SaveResult::Queued);
    EXPECT_EQ(store->saveProgram(data, programWithCards(3)), SaveDataManager::SaveResult::Queued);
    EXPECT_EQ(store->loadProgram(data).size(), 3u); // the newest state, never the one on disk before
    runPosted();
    EXPECT_FALSE(outcomes.empty());
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), false), 0);
    EXPECT_EQ(openStore()->loadProgram(data).size(), 3u);

    outcomes.clear();
    {
        const engine::Log::Capture log;
        WritesFail full;
        EXPECT_EQ(store->saveProgram(data, programWithCards(4)), SaveDataManager::SaveResult::Queued);
        store->finishWrites();
        // The worker's failure keeps its cause: the file and the system's text.
        EXPECT_EQ(
            log.linesWith({"error store", store->getProgramFullPath(data), std::strerror(EFBIG)}).size(), 1u);
    }
    EXPECT_TRUE(outcomes.empty()) << "outcomes are told on the main thread, not the worker";
    runPosted();
    EXPECT_EQ(outcomes, std::vector<bool>{false});
    EXPECT_EQ(openStore()->loadProgram(data).size(), 3u) << "a failed write keeps the previous state";

    const std::string programFile = store->getProgramFullPath(data);
    store->saveProgram(data, programWithCards(5));
    ASSERT_TRUE(store->removeData(data));
    store->writeInBackground(nullptr); // drains, as at quitting
    EXPECT_FALSE(fs::exists(programFile)) << "a queued write brought a removed program back";
}
