// What the store could not read is told on the screens: the list's problems
// on the list screen once, a program's when the editor opens it; the screens
// stay usable.
#include "SaveScreenFixture.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/base/Log.h"
#include "engine/base/Value.h"
#include "engine/platform/MessageBox.h"
#include "saves/SaveListTexts.h"
#include "saves/SaveScene.h"
#include "tests/support/BinaryPlist.h"
#include "tests/support/UnreadableFile.h"
#include "widgets/AlertView.h"

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using engine::Vec2;

struct Shown {
    std::string message;
    std::string title;
};

class StoreProblemsOnScreenTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        engine::setMessageBoxHandler([this](const std::string& message, const std::string& title) {
            shown.push_back({message, title});
        });
    }
    void TearDown() override {
        engine::setMessageBoxHandler(nullptr);
        // The next test starts from a store that reads its list again.
        SaveDataManager::getInstance()->init();
        SaveScreenTest::TearDown();
    }

    static std::string file(const std::string& relative) { return root() + relative; }
    static void writeBytes(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string readBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    void showList() {
        auto* scene = made(engine::Scene::create());
        scene->addChild(made(SaveScene::create()));
        present(scene);
        driver->step();
    }

    FieldScene* openEditor(SaveData* record) {
        FieldScene* editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        return editor;
    }

    static bool contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    std::vector<Shown> shown;
};

TEST_F(StoreProblemsOnScreenTest, ADamagedListIsToldOnceOnTheListScreen) {
    addPrograms(1);
    writeBytes(file("savedatas/list.plist"), nestedArraysXml(100000));
    SaveDataManager::getInstance()->init();

    showList();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(contains(shown[0].message, SaveListTexts::kListSetAsideMessage)) << shown[0].message;
    EXPECT_TRUE(contains(shown[0].message, "savedatas/list.plist.damaged-")) << shown[0].message;
    EXPECT_EQ(shown[0].title, SaveListTexts::kNoticeCaption);
    EXPECT_EQ(SaveDataManager::getInstance()->getDatas().size(), 1u) << "the program is still listed";

    showList();
    EXPECT_EQ(shown.size(), 1u) << "told once";
}

// Catches the system's English reason shown to a child instead of logged.
TEST_F(StoreProblemsOnScreenTest, AnUnreadableListIsNamedWithoutTheSystemsWordsAndTheListStaysUsable) {
    addPrograms(2);
    engine::Log::Capture log;
    {
        UnreadableFile locked(file("savedatas/list.plist"));
        SaveDataManager::getInstance()->init();
    }
    showList();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "プログラムの リストを よめませんでした。\nsavedatas/list.plist");
    EXPECT_EQ(log.linesWith({"list.plist", "Permission denied"}).size(), 1u);
    EXPECT_EQ(shown[0].title, SaveListTexts::kFailureCaption);
    EXPECT_EQ(SaveDataManager::getInstance()->getDatas().size(), 2u) << "both programs are listed";

    // Where no system box can be shown, the application's own stands on the
    // list and closes.
    engine::setMessageBoxHandler(nullptr);
    {
        UnreadableFile locked(file("savedatas/list.plist"));
        SaveDataManager::getInstance()->init();
    }
    showList();
    SaveScene* list = nullptr;
    for (engine::Node* child : engine::Director::getInstance()->getRunningScene()->getChildren()) {
        list = list ? list : dynamic_cast<SaveScene*>(child);
    }
    ASSERT_NE(list, nullptr);
    AlertView* box = nullptr;
    for (engine::Node* child : list->getChildren()) {
        box = box ? box : dynamic_cast<AlertView*>(child);
    }
    ASSERT_NE(box, nullptr);
    box->retain(); // closed, the box goes: kept for the check
    box->onOk(box);
    driver->advance(0.2f);
    EXPECT_EQ(box->getParent(), nullptr);
    box->release();
}

TEST_F(StoreProblemsOnScreenTest, ADamagedProgramIsToldWhenTheEditorOpensIt) {
    SaveData* record = addPrograms(1).front();
    writeBytes(file(record->path), nestedArraysBinary(100000));
    openEditor(record);
    EXPECT_TRUE(shown.empty()) << "not before the editor has slid in";
    driver->advance(0.6f);
    ASSERT_EQ(shown.size(), 1u);
    const std::string start = std::string(EditorTexts::kSetAsideMessage) + "\n" + record->path + ".damaged-";
    EXPECT_EQ(shown[0].message.substr(0, start.size()), start);
    EXPECT_TRUE(fs::exists(file(shown[0].message.substr(shown[0].message.find('\n') + 1))))
        << "named as it was kept";
    EXPECT_EQ(shown[0].title, EditorTexts::kNoticeCaption);
}

TEST_F(StoreProblemsOnScreenTest, AnUnreadableProgramIsToldAndNeverSavedOver) {
    SaveData* record = addPrograms(1).front();
    const std::string before = readBytes(file(record->path));
    writeBytes(file(record->imagepath), "its picture");
    {
        UnreadableFile locked(file(record->path));
        FieldScene* editor = openEditor(record);
        driver->advance(0.6f);
        ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255), nullptr);
        editor->saveField();
        editor->captureThumbnail(nullptr);
        driver->step();
    }
    EXPECT_EQ(readBytes(file(record->imagepath)), "its picture");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].message, std::string(EditorTexts::kUnreadableMessage) + "\n" + record->path);
    EXPECT_EQ(shown[1].message, EditorTexts::kNotSavedMessage);
    EXPECT_EQ(readBytes(file(record->path)), before);
}

} // namespace
