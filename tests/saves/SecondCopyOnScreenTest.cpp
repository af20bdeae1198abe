// A second copy of the editor on a store that another copy holds: the list
// says at once that it only reads, a new program, a rename and a deletion
// are refused with the same words, and an edit in the editor is put back
// with its own.
#include "SaveScreenFixture.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/platform/MessageBox.h"
#include "saves/SaveItemView.h"
#include "saves/SaveListTexts.h"
#include "saves/SaveScene.h"
#include "store/StoreLock.h"

#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using engine::Vec2;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class SecondCopyOnScreenTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        SaveScene::setSavedListOffset(0);
        engine::setMessageBoxHandler(
            [this](const std::string& message, const std::string&) { shown.push_back(message); });
        // The first copy's store, in a folder of its own, with one program;
        // then that copy holds it and this process's store opens it.
        char pattern[] = "/tmp/pavlune-second-copy-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = std::string(pattern) + "/";
        engine::FileUtils::getInstance()->setWritablePath(folder);
        SaveDataManager* firstCopy = SaveDataManager::create();
        ASSERT_EQ(firstCopy->saveProgram(made(SaveData::create()), engine::ValueVector()),
                  SaveDataManager::SaveResult::Added);
        firstCopyLock = StoreLock::tryAcquire(folder);
        ASSERT_EQ(firstCopyLock.state, StoreLock::State::Held);
        SaveDataManager::getInstance()->init();
        listBefore = readBytes(folder + "savedatas/list.plist");
    }
    void TearDown() override {
        engine::setMessageBoxHandler(nullptr);
        firstCopyLock.lock.reset();
        engine::FileUtils::getInstance()->setWritablePath(root());
        SaveDataManager::getInstance()->init();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        SaveScreenTest::TearDown();
    }

    std::string folder;
    StoreLock::Attempt firstCopyLock;
    std::string listBefore;
    std::vector<std::string> shown;
};

// The start-new entry, the saved program's picture and its title, in design units.
const Vec2 kStartNew(SaveScene::entryLeft(0) + SaveItemView::kPictureSide / 2, 384);
const Vec2 kSavedPicture(SaveScene::entryLeft(1) + SaveItemView::kPictureSide / 2, 384);
const Vec2 kSavedTitle(SaveScene::entryLeft(1) + SaveItemView::kPictureSide / 2,
                       SaveItemView::kTitleTop - 15);

// Catches the lock's refusal not told (the child would wonder why nothing
// stays), and each way of writing the list that the list screen offers left
// open to a copy that must not write.
TEST_F(SecondCopyOnScreenTest, TheListSaysItOnlyReadsAndRefusesEveryChange) {
    SaveScene* list = showStoredList();
    ASSERT_EQ(shown.size(), 1u) << "told when the list first shows";
    EXPECT_EQ(shown[0], SaveListTexts::kReadOnlyMessage);
    showStoredList();
    EXPECT_EQ(shown.size(), 1u) << "told once, not at every return to the list";
    list = showStoredList();

    struct Refused {
        const char* what;
        Vec2 where;
        float hold;
    };
    const Refused refused[] = {
        {"start a new program", kStartNew, 0.1f},
        {"rename", kSavedTitle, 0.1f},
        {"delete (long press)", kSavedPicture, 2.5f},
    };
    for (const Refused& attempt : refused) {
        SCOPED_TRACE(attempt.what);
        const std::size_t told = shown.size();
        tap(attempt.where, attempt.hold);
        driver->advance(0.7f);
        ASSERT_EQ(shown.size(), told + 1);
        EXPECT_EQ(shown.back(), SaveListTexts::kReadOnlyMessage);
        engine::Scene* running = engine::Director::getInstance()->getRunningScene();
        EXPECT_TRUE(running->getChildren().contains(list)) << "the list stays";
        EXPECT_EQ(list->getEditLayer(), nullptr);
        EXPECT_FALSE(list->isDeleteMode());
    }
    EXPECT_EQ(readBytes(folder + "savedatas/list.plist"), listBefore);
}

// Catches an edit saved over the first copy's program, and one left on the
// field although it was never saved.
TEST_F(SecondCopyOnScreenTest, AnEditInTheEditorIsPutBackAndTold) {
    SaveData* record = SaveDataManager::getInstance()->getDatas().front();
    const std::string programBefore = readBytes(SaveDataManager::getInstance()->getProgramFullPath(record));
    FieldScene* editor = made(FieldScene::create(record));
    auto* scene = made(engine::Scene::create());
    scene->addChild(editor);
    present(scene);
    driver->advance(0.6f);
    const std::size_t told = shown.size();

    ASSERT_NE(editor->getSession().rooms().board->addCard(0, 0, Vec2(300, 300), 255), nullptr);
    editor->saveField();
    driver->step();
    driver->step();
    EXPECT_TRUE(editor->getSession().rooms().board->cardNodes().empty())
        << "the card that could not be saved is gone";
    ASSERT_EQ(shown.size(), told + 1);
    EXPECT_EQ(shown.back(), EditorTexts::kReadOnlyMessage);
    EXPECT_EQ(readBytes(SaveDataManager::getInstance()->getProgramFullPath(record)), programBefore);
    EXPECT_EQ(readBytes(folder + "savedatas/list.plist"), listBefore);
}

} // namespace
