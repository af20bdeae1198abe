// Programs exported as single files and imported as new programs.
#include "store/ProgramExchange.h"

#include "engine/base/PlistCodec.h"
#include "store/SaveData.h"
#include "tests/store/StoreFixture.h"

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

// A program file as another machine's store wrote it, by hand: two cards.
const char* const kTwoCards = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<plist version=\"1.0\"><array>"
                              "<dict><key>index</key><integer>3</integer><key>tab</key><integer>1</integer>"
                              "<key>value</key><string>60</string><key>x</key><integer>120</integer>"
                              "<key>y</key><integer>655</integer></dict>"
                              "<dict><key>index</key><integer>0</integer><key>tab</key><integer>0</integer>"
                              "<key>x</key><integer>8</integer><key>y</key><integer>40</integer></dict>"
                              "</array></plist>\n";

class ProgramExchangeTest : public StoreFixture {};

} // namespace

TEST_F(ProgramExchangeTest, AnImportedFileIsANewProgramFirstInTheListAndExportsAsItCame) {
    SaveDataManager* store = openStore();
    SaveData* existing = SaveData::create();
    ASSERT_EQ(store->saveProgram(existing, ValueVector{Value(ValueMap{{"tab", Value(2)}})}),
              SaveDataManager::SaveResult::Added);

    SaveData* added = nullptr;
    ASSERT_EQ(
        ProgramExchange::importProgram(*store, kTwoCards, "C:\\Users\\hana\\Downloads\\うさぎ.plist", &added),
        ProgramExchange::ImportResult::Added);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->title, "うさぎ"); // the file's name, without its folders and ".plist"
    ASSERT_EQ(store->getDatas().size(), 2u);
    EXPECT_EQ(store->getDatas().at(0), added);
    EXPECT_EQ(added->identifier, 2);
    EXPECT_EQ(existing->identifier, 1);

    // What the store reads back is the file's cards, not the other program's.
    SaveDataManager* reopened = openStore();
    EXPECT_EQ(reopened->getDatas().at(0)->title, "うさぎ");
    const ValueVector program = reopened->loadProgram(reopened->getDatas().at(0));
    ASSERT_EQ(program.size(), 2u);
    EXPECT_EQ(engine::valueForKey(program[0].asValueMap(), "value").asString(), "60");
    EXPECT_EQ(engine::valueForKey(program[0].asValueMap(), "y").asInt(), 655);
    EXPECT_EQ(engine::valueForKey(program[1].asValueMap(), "x").asInt(), 8);

    // Out again: named after the title, the same two cards.
    added->title = "うさぎ/2";
    const auto exported = ProgramExchange::exportProgram(*store, added);
    ASSERT_TRUE(exported);
    EXPECT_EQ(exported->fileName, "うさぎ_2.plist");
    const auto again = engine::PlistCodec::parse(exported->bytes);
    ASSERT_TRUE(again && again->getType() == Value::Type::VECTOR);
    EXPECT_EQ(again->asValueVector(), program);
}

TEST_F(ProgramExchangeTest, FilesThatAreNoProgramAddNothing) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"empty", ""},
        {"a picture", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"cut short", std::string(kTwoCards).substr(0, 120)},
        {"a list, not a program", listXml("1", entryXml("1", "x"))},
        {"text", "hello"},
    };
    SaveDataManager* store = openStore();
    for (const auto& [what, bytes] : files) {
        EXPECT_EQ(ProgramExchange::importProgram(*store, bytes), ProgramExchange::ImportResult::Unreadable)
            << what;
    }
    EXPECT_TRUE(store->getDatas().empty());
    EXPECT_EQ(store->getLastId(), 0);
    EXPECT_FALSE(fs::exists(root / "savedatas/1.plist"));
}

TEST_F(ProgramExchangeTest, AStoreThatCannotWriteSaysSoAndListsNothing) {
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    store->retain();
    stores.push_back(store);
    EXPECT_EQ(ProgramExchange::importProgram(*store, kTwoCards), ProgramExchange::ImportResult::NotSaved);
    EXPECT_TRUE(store->getDatas().empty());
}

TEST_F(ProgramExchangeTest, NothingToExportForARecordNeverSavedOrAFileThatIsDamaged) {
    SaveDataManager* store = openStore();
    EXPECT_FALSE(ProgramExchange::exportProgram(*store, nullptr));
    EXPECT_FALSE(ProgramExchange::exportProgram(*store, SaveData::create()));

    ASSERT_EQ(ProgramExchange::importProgram(*store, kTwoCards), ProgramExchange::ImportResult::Added);
    writeBytes(root / "savedatas/1.plist", "<plist><array><dict>");
    EXPECT_FALSE(ProgramExchange::exportProgram(*store, store->getDatas().at(0)));
}

TEST(ProgramExchangeNames, TitlesBecomeNamesEveryFileSystemTakes) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"2026/12/5 9:3:7", "2026_12_5 9_3_7.plist"},
        {"", "program.plist"},
        {".hidden", "_hidden.plist"},
        {"a.b", "a.b.plist"},
        {"a\\b*c?d\"e<f>g|h", "a_b_c_d_e_f_g_h.plist"},
        {"tab\there\x7f", "tab_here_.plist"},
        {"くるま ２だい", "くるま ２だい.plist"},
    };
    for (const auto& [title, name] : names) {
        EXPECT_EQ(ProgramExchange::fileNameFor(title), name) << title;
    }
}
