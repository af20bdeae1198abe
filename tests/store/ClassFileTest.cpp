// A whole class in one file: imported as new programs, exported in the
// list's order, and refused whole when any part is not a class file.
#include "store/ClassFile.h"

#include "engine/base/PlistCodec.h"
#include "store/SaveData.h"
#include "tests/store/StoreFixture.h"

#include <string>
#include <utility>
#include <vector>

using engine::Value;
using engine::ValueVector;

namespace {

const std::string kLedOn = "<dict><key>index</key><integer>0</integer><key>tab</key><integer>0</integer>"
                           "<key>x</key><integer>8</integer><key>y</key><integer>40</integer></dict>";
const std::string kWait = "<dict><key>index</key><integer>3</integer><key>tab</key><integer>1</integer>"
                          "<key>value</key><string>60</string><key>x</key><integer>120</integer>"
                          "<key>y</key><integer>655</integer></dict>";

std::string program(const std::string& title, const std::string& cards) {
    return "<dict><key>title</key><string>" + title + "</string><key>program</key><array>" + cards +
           "</array></dict>";
}

// A class file as another machine wrote it, by hand.
std::string classXml(const std::string& programs, const std::string& format = "PavluneCards class",
                     const std::string& version = "1") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>format</key><string>" +
           format + "</string><key>version</key><integer>" + version +
           "</integer><key>programs</key><array>" + programs + "</array></dict></plist>\n";
}

class ClassFileTest : public StoreFixture {};

} // namespace

TEST_F(ClassFileTest, ProgramsComeInFirstInTheFilesOrderWithTheirTitlesAndGoOutTheSame) {
    SaveDataManager* store = openStore();
    ASSERT_EQ(store->saveProgram(SaveData::create(), ValueVector{}), SaveDataManager::SaveResult::Added);
    const ClassFile::Imported imported =
        ClassFile::importAll(*store, classXml(program("うさぎ", kWait + kLedOn) + program("かめ", kLedOn)));
    EXPECT_EQ(imported.result, ClassFile::Result::Added);
    EXPECT_EQ(imported.added, 2);

    SaveDataManager* reopened = openStore();
    ASSERT_EQ(reopened->getDatas().size(), 3u);
    EXPECT_EQ(reopened->getDatas().at(0)->title, "うさぎ");
    EXPECT_EQ(reopened->getDatas().at(1)->title, "かめ");
    const ValueVector rabbit = reopened->loadProgram(reopened->getDatas().at(0));
    ASSERT_EQ(rabbit.size(), 2u);
    EXPECT_EQ(rabbit[0].asValueMap().at("value").asString(), "60");
    EXPECT_EQ(reopened->loadProgram(reopened->getDatas().at(1)).size(), 1u);

    // Out: the list's order, each program with its title and cards; into a
    // fresh store: the same list.
    const ClassFile::Exported exported = ClassFile::exportAll(*reopened);
    EXPECT_EQ(exported.programs, 3);
    const auto file = engine::PlistCodec::parse(exported.bytes);
    ASSERT_TRUE(file && file->getType() == Value::Type::MAP);
    EXPECT_EQ(file->asValueMap().at("format").asString(), "PavluneCards class");
    const ValueVector& programs = file->asValueMap().at("programs").asValueVector();
    ASSERT_EQ(programs.size(), 3u);
    EXPECT_EQ(programs[1].asValueMap().at("title").asString(), "かめ");
    EXPECT_EQ(programs[0].asValueMap().at("program").asValueVector(), rabbit);

    const std::vector<std::pair<int, std::string>> before = entriesOf(reopened);
    fs::remove_all(root / "savedatas");
    fs::create_directories(root / "savedatas");
    SaveDataManager* fresh = openStore();
    ASSERT_TRUE(fresh->getDatas().empty());
    EXPECT_EQ(ClassFile::importAll(*fresh, exported.bytes).added, 3);
    EXPECT_EQ(entriesOf(fresh), (std::vector<std::pair<int, std::string>>{
                                    {3, "うさぎ"}, {2, "かめ"}, {1, before.at(2).second}}));
    EXPECT_EQ(fresh->loadProgram(fresh->getDatas().at(0)), rabbit);
}

TEST_F(ClassFileTest, AnythingButAWholeClassFileChangesNothing) {
    const std::vector<std::pair<const char*, std::string>> files = {
        {"a single program file", "<plist version=\"1.0\"><array>" + kLedOn + "</array></plist>"},
        {"another format", classXml(program("a", kLedOn), "SomeoneElse class")},
        {"a later version", classXml(program("a", kLedOn), "PavluneCards class", "2")},
        {"the first program without a title",
         classXml("<dict><key>program</key><array/></dict>" + program("a", kLedOn))},
        {"the last program without a title",
         classXml(program("a", kLedOn) + "<dict><key>program</key><array/></dict>")},
        {"the last program not a list of cards",
         classXml(program("a", kLedOn) +
                  "<dict><key>title</key><string>b</string><key>program</key><dict/></dict>")},
        {"cut short", classXml(program("a", kLedOn)).substr(0, 150)},
    };
    SaveDataManager* store = openStore();
    for (const auto& [what, bytes] : files) {
        const ClassFile::Imported imported = ClassFile::importAll(*store, bytes);
        EXPECT_EQ(imported.result, ClassFile::Result::Unreadable) << what;
        EXPECT_EQ(imported.added, 0) << what;
    }
    EXPECT_TRUE(store->getDatas().empty());
    EXPECT_FALSE(fs::exists(root / "savedatas/1.plist"));
}

TEST_F(ClassFileTest, AnUnreadableProgramIsLeftOutOfTheExportAndCounted) {
    SaveDataManager* store = openStore();
    ASSERT_EQ(ClassFile::importAll(*store, classXml(program("a", kLedOn) + program("b", kWait))).added, 2);
    writeBytes(root / "savedatas/1.plist", "<plist><array><dict>"); // "b", the older
    const ClassFile::Exported exported = ClassFile::exportAll(*store);
    EXPECT_EQ(exported.programs, 1);
    EXPECT_EQ(exported.skipped, 1);
    EXPECT_NE(exported.bytes.find("<string>a</string>"), std::string::npos);
    EXPECT_EQ(exported.bytes.find("<string>b</string>"), std::string::npos);
}

TEST_F(ClassFileTest, AStoreThatCannotWriteSaysSo) {
    SaveDataManager* store = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    store->retain();
    stores.push_back(store);
    const ClassFile::Imported imported = ClassFile::importAll(*store, classXml(program("a", kLedOn)));
    EXPECT_EQ(imported.result, ClassFile::Result::NotSaved);
    EXPECT_EQ(imported.added, 0);
}
