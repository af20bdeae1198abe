// Programs as files through a chooser that answers as the test says: what is
// written, what is added to the store, what the child is told, and the
// buttons of the list that ask for it.
#include "app/ProgramFiles.h"
#include "editor/EditorRooms.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/controls/BottomBar.h"
#include "engine/platform/FileChooser.h"
#include "engine/platform/MessageBox.h"
#include "saves/SaveListTexts.h"
#include "saves/SaveScene.h"
#include "tests/saves/SaveScreenFixture.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

using engine::FileChoice;
using engine::Vec2;
using Outcome = FileChoice::Outcome;

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A program file written by Python's plistlib, not by this program: the
// form every build exports and imports, the browser's included.
std::string foreignProgram() {
    return readBytes((pavlune::test::sourceRoot() / "tests/editor/data/plistlib_program.plist").string());
}

// Answers each question at once with `next`, and keeps what it was asked.
class ScriptedChooser : public engine::FileChooser {
public:
    void save(const std::string& title, const std::string& fileName, std::string bytes, Done done) override {
        asked.push_back(title);
        savedName = fileName;
        savedBytes = std::move(bytes);
        FileChoice answer = next;
        answer.name = next.outcome == Outcome::Chosen ? fileName : "";
        done(answer);
    }
    void open(const std::string& title, Done done) override {
        asked.push_back(title);
        done(next);
    }
    bool isAsking() const override { return asking; }

    FileChoice next;
    bool asking = false;
    std::vector<std::string> asked;
    std::string savedName;
    std::string savedBytes;
};

FileChoice chosen(const std::string& name, const std::string& bytes) {
    FileChoice choice;
    choice.outcome = Outcome::Chosen;
    choice.name = name;
    choice.bytes = bytes;
    return choice;
}

struct Told {
    std::string message;
    std::string title;
};

class ProgramFilesOnScreenTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        ProgramSharing::install(&files);
        engine::setMessageBoxHandler([this](const std::string& message, const std::string& title) {
            told.push_back({message, title});
        });
    }
    void TearDown() override {
        engine::setMessageBoxHandler(nullptr);
        ProgramSharing::install(nullptr);
        SaveScreenTest::TearDown();
    }

    // Imports `bytes` as a file named `name`, with the frames its pictures take.
    void import(const std::string& name, const std::string& bytes) {
        chooser.next = chosen(name, bytes);
        files.importFile();
        driver->step();
        driver->step();
    }

    // Everything the store keeps, to see that nothing changed.
    static std::map<std::string, std::string> storeFiles() {
        std::map<std::string, std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
            if (entry.is_regular_file()) {
                found[entry.path().string()] = readBytes(entry.path().string());
            }
        }
        return found;
    }

    ScriptedChooser chooser;
    ProgramFiles files{chooser};
    std::vector<Told> told;
};

} // namespace

TEST_F(ProgramFilesOnScreenTest, AProgramFromAnotherMachineComesInAndGoesOutByteForByte) {
    showStoredList();
    import("/media/usb/うさぎ.plist", foreignProgram());
    SaveDataManager* store = SaveDataManager::getInstance();
    ASSERT_EQ(store->getDatas().size(), 1u);
    SaveData* added = store->getDatas().at(0);
    EXPECT_EQ(added->title, "うさぎ");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].message, "よみこんだよ：うさぎ\nリストの はじめに あるよ。");
    // The store keeps the file as it came, and gives it back as it came.
    EXPECT_EQ(readBytes(root() + added->path), foreignProgram());
    files.exportPrograms({added});
    EXPECT_EQ(chooser.savedName, "うさぎ.plist");
    EXPECT_EQ(chooser.savedBytes, foreignProgram());
    EXPECT_EQ(chooser.asked,
              (std::vector<std::string>{SaveListTexts::kImportTitle, SaveListTexts::kExportTitle}));
    EXPECT_EQ(told.back().message, std::string(SaveListTexts::kExportedMessage) + "うさぎ.plist");
}

TEST_F(ProgramFilesOnScreenTest, AnImportedProgramHasThePictureTheEditorWouldDraw) {
    showStoredList();
    import("うさぎ.plist", foreignProgram());
    SaveData* added = SaveDataManager::getInstance()->getDatas().at(0);
    const std::string picture = root() + added->imagepath;
    engine::Image imported;
    ASSERT_TRUE(imported.initWithImageFile(picture)) << picture;

    // The editor draws its own when it leaves the program.
    std::filesystem::remove(picture);
    FieldScene* editor = made(FieldScene::create(added));
    auto* scene = made(engine::Scene::create());
    scene->addChild(editor);
    present(scene);
    driver->advance(0.6f);
    editor->captureThumbnail(nullptr);
    driver->step();
    engine::Image drawn;
    ASSERT_TRUE(drawn.initWithImageFile(picture));
    ASSERT_EQ(imported.getWidth(), drawn.getWidth());
    ASSERT_EQ(imported.getHeight(), drawn.getHeight());
    int differing = 0;
    int inked = 0;
    // The first rows and their three cards (the upper half); a loose card
    // further down is moved clear of the run controls as the editor opens,
    // which an imported picture need not do.
    for (int y = 0; y < drawn.getHeight() / 2; y += 3) {
        for (int x = 0; x < drawn.getWidth(); x += 3) {
            const engine::Color4B a = imported.getPixel(x, y);
            const engine::Color4B b = drawn.getPixel(x, y);
            differing += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) > 24 ? 1 : 0;
            inked += b.r < 200 || b.g < 200 || b.b < 200 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 200) << "the program's cards are in the picture";
    EXPECT_EQ(differing, 0);
}

TEST_F(ProgramFilesOnScreenTest, AClassGoesOutAndComesBackWithItsTitlesInOrder) {
    showStoredList();
    import("ねこ.plist", foreignProgram());
    import("いぬ.plist",
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array/></plist>\n");
    SaveDataManager* store = SaveDataManager::getInstance();
    const std::vector<std::string> programs = {readBytes(root() + store->getDatas().at(0)->path),
                                               readBytes(root() + store->getDatas().at(1)->path)};
    files.exportAll();
    EXPECT_EQ(chooser.savedName, "PavluneCards-class.plist");
    const std::string classFile = chooser.savedBytes;

    while (!store->getDatas().empty()) {
        store->removeData(store->getDatas().front());
    }
    told.clear();
    import("PavluneCards-class.plist", classFile);
    ASSERT_EQ(store->getDatas().size(), 2u);
    EXPECT_EQ(store->getDatas().at(0)->title, "いぬ");
    EXPECT_EQ(store->getDatas().at(1)->title, "ねこ");
    EXPECT_EQ(readBytes(root() + store->getDatas().at(0)->path), programs[0]);
    EXPECT_EQ(readBytes(root() + store->getDatas().at(1)->path), programs[1]);
    EXPECT_TRUE(std::filesystem::exists(root() + store->getDatas().at(1)->imagepath));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].message, "プログラムを 2こ よみこんだよ。\nリストの はじめに あるよ。");
}

TEST_F(ProgramFilesOnScreenTest, FilesThatAreNoProgramsAreRefusedAndChangeNothing) {
    showStoredList();
    import("ねこ.plist", foreignProgram());
    const auto before = storeFiles();
    const std::string program = foreignProgram();
    const std::vector<std::pair<const char*, std::string>> refused = {
        {"cut short", program.substr(0, program.size() / 2)},
        {"a picture", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"a class file of a later version",
         "<plist version=\"1.0\"><dict><key>format</key><string>PavluneCards class</string>"
         "<key>version</key><integer>2</integer><key>programs</key><array/></dict></plist>"},
        {"another program's property list",
         "<plist version=\"1.0\"><dict><key>name</key><string>x</string></dict></plist>"},
        {"empty", ""},
    };
    for (const auto& [what, bytes] : refused) {
        told.clear();
        import("x.plist", bytes);
        ASSERT_EQ(told.size(), 1u) << what;
        EXPECT_EQ(told[0].message, SaveListTexts::kNotAProgramMessage) << what;
        EXPECT_EQ(told[0].title, SaveListTexts::kFailureCaption) << what;
        EXPECT_EQ(storeFiles(), before) << what;
    }
}

TEST_F(ProgramFilesOnScreenTest, WhatTheChooserAnswersIsToldInTheListsWords) {
    showStoredList();
    SaveData* record = addPrograms(1).front();
    struct Case {
        const char* what;
        Outcome outcome;
        bool exporting;
        const char* message; // null: nothing is said
    };
    const Case cases[] = {
        {"an import cancelled", Outcome::Cancelled, false, nullptr},
        {"an export cancelled", Outcome::Cancelled, true, nullptr},
        {"no portal", Outcome::Unavailable, false, SaveListTexts::kNoChooserMessage},
        {"no portal for an export", Outcome::Unavailable, true, SaveListTexts::kNoChooserMessage},
        {"an unreadable file", Outcome::Failed, false, SaveListTexts::kNotReadMessage},
        {"a folder that cannot be written", Outcome::Failed, true, SaveListTexts::kNotWrittenMessage},
    };
    const auto before = storeFiles();
    for (const Case& c : cases) {
        told.clear();
        chooser.next = FileChoice{};
        chooser.next.outcome = c.outcome;
        if (c.exporting) {
            files.exportPrograms({record});
        } else {
            files.importFile();
        }
        driver->step();
        if (c.message) {
            ASSERT_EQ(told.size(), 1u) << c.what;
            EXPECT_EQ(told[0].message, c.message) << c.what;
        } else {
            EXPECT_TRUE(told.empty()) << c.what;
        }
        EXPECT_EQ(storeFiles(), before) << c.what;
    }
    // A second question while one is open is not asked.
    told.clear();
    chooser.asking = true;
    chooser.asked.clear();
    files.importFile();
    files.exportAll();
    EXPECT_TRUE(chooser.asked.empty());
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].message, SaveListTexts::kChooserOpenMessage);
}

TEST_F(ProgramFilesOnScreenTest, TheListsButtonsAskForTheFiles) {
    const std::vector<SaveData*> records = addPrograms(2);
    SaveScene* list = showStoredList();
    // Bottom right: every program out, then a file in (hand-placed from the
    // design: 170 x 56 buttons, 16 from the edges).
    const Vec2 exportAll(1024 - 16 - 170 - 16 - 85, 16 + 28);
    const Vec2 import(1024 - 16 - 85, 16 + 28);
    EXPECT_EQ(driver->pixelAt(exportAll + Vec2(-83, 0)), engine::Color4B(105, 208, 238, 255)) << "its frame";
    EXPECT_EQ(driver->pixelAt(exportAll + Vec2(-70, 20)), engine::Color4B::WHITE) << "its plate";
    chooser.next.outcome = Outcome::Cancelled;
    tap(exportAll);
    EXPECT_EQ(chooser.asked, std::vector<std::string>{SaveListTexts::kExportAllTitle});
    tap(import);
    EXPECT_EQ(chooser.asked.back(), SaveListTexts::kImportTitle);

    // A held picture selects its program; the selection's button exports it alone.
    list->onItemLongPressed(list->itemForIndex(2));
    chooser.asked.clear();
    tap(Vec2(512 + 300, 384 + 250));
    EXPECT_EQ(chooser.asked, std::vector<std::string>{SaveListTexts::kExportTitle});
    EXPECT_EQ(chooser.savedBytes, readBytes(root() + records.front()->path));
}

TEST_F(ProgramFilesOnScreenTest, TheEditorsBarExportsTheProgramItShows) {
    const std::vector<SaveData*> records = addPrograms(2);
    SaveData* shown = records.front(); // not the newest
    FieldScene* editor = made(FieldScene::create(shown));
    auto* scene = made(engine::Scene::create());
    scene->addChild(editor);
    present(scene);
    editor->getSession().rooms().bottomBar->open();
    driver->advance(0.5f);
    chooser.next.outcome = Outcome::Cancelled;
    // On the bar's white strip from x 470, 24 high: this program (100 wide),
    // every program (140) and a file in (100), 8 apart.
    tap(Vec2(470 + 50, 3 + 12));
    EXPECT_EQ(chooser.asked, std::vector<std::string>{SaveListTexts::kExportTitle});
    EXPECT_EQ(chooser.savedBytes, readBytes(root() + shown->path));
    tap(Vec2(578 + 70, 3 + 12));
    EXPECT_EQ(chooser.asked.back(), SaveListTexts::kExportAllTitle);
    tap(Vec2(726 + 50, 3 + 12));
    EXPECT_EQ(chooser.asked.back(), SaveListTexts::kImportTitle);
    EXPECT_EQ(chooser.asked.size(), 3u);
}
