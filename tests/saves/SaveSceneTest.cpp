#include "saves/SaveScene.h"

#include "SaveScreenFixture.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Label.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TextureCache.h"
#include "engine/ui/EditBox.h"
#include "saves/SaveItemAddView.h"
#include "saves/SaveItemSavedView.h"
#include "saves/SaveListKeys.h"
#include "widgets/AlertView.h"
#include "widgets/FieldScrollView.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

using engine::Vec2;

// Places at offset 0: the start-new entry spans x 362..662, program 1 (the
// newest) 712..1012. Pictures are centred at y 384, titles start at y 214.
constexpr Vec2 kDeleteButton(412, 634);
constexpr Vec2 kAlertOk(362, 284);
constexpr Vec2 kAlertCancel(662, 284);
constexpr Vec2 kOutside(60, 60);
constexpr Vec2 kBackButton(979, 733);

class SaveSceneTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        SaveScene::setSavedListOffset(0);
    }

    SaveScene* showList() {
        auto* scene = made(engine::Scene::create());
        list = made(SaveScene::create());
        scene->addChild(list);
        present(scene);
        return list;
    }

    template <typename T> static T* shown() {
        engine::Scene* scene = engine::Director::getInstance()->getRunningScene();
        for (engine::Node* child : made(scene)->getChildren()) {
            if (auto* found = dynamic_cast<T*>(child)) {
                return found;
            }
        }
        return nullptr;
    }

    AlertView* alert() const {
        for (engine::Node* child : list->getChildren()) {
            if (auto* found = dynamic_cast<AlertView*>(child)) {
                return found;
            }
        }
        return nullptr;
    }

    void scrollTo(float x) { list->getScrollView()->setContentOffset(Vec2(x, 0)); }

    // Only entries in view are in the strip, each in its place, in order.
    void expectStripMatchesView() {
        const auto& visible = list->getVisibleItems();
        const float ox = list->getScrollView()->getContentOffset().x;
        ASSERT_EQ(list->getScrollView()->container->getChildrenCount(), visible.size());
        int previous = -1;
        for (SaveItemView* item : visible) {
            EXPECT_EQ(item->getParent(), list->getScrollView()->container);
            EXPECT_GT(item->index, previous);
            previous = item->index;
            EXPECT_FLOAT_EQ(item->getPositionX(), SaveScene::entryLeft(item->index));
            EXPECT_GE(item->getPositionX() + 300 + ox, 0);
            EXPECT_LE(item->getPositionX() + ox, 1024);
        }
        // Every entry in view is there.
        const int count = static_cast<int>(SaveDataManager::getInstance()->getDatas().size());
        int inView = 0;
        for (int i = 0; i <= count; ++i) {
            const float left = SaveScene::entryLeft(i) + ox;
            inView += (left + 300 >= 0 && left <= 1024) ? 1 : 0;
        }
        EXPECT_EQ(static_cast<int>(visible.size()), inView);
    }

    SaveScene* list = nullptr;
};

TEST_F(SaveSceneTest, AnEmptyStoreShowsOnlyTheCentredStartEntryThatDoesNotScroll) {
    showList();
    ASSERT_EQ(list->getVisibleItems().size(), 1u);
    EXPECT_NE(dynamic_cast<SaveItemAddView*>(list->getVisibleItems().front()), nullptr);
    EXPECT_FLOAT_EQ(list->getVisibleItems().front()->getPositionX(), 362);
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentSize().width, 1024);

    driver->touchBegan(Vec2(900, 384));
    for (int i = 1; i <= 10; ++i) {
        driver->touchMoved(Vec2(900 - 40.0f * i, 384));
        driver->step();
    }
    driver->touchEnded(Vec2(500, 384));
    driver->advance(1.0f);
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentOffset().x, 0);
}

TEST_F(SaveSceneTest, OnlyEntriesInViewAreInTheStripAndTheStartEntryIsReused) {
    addPrograms(6);
    showList();
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentSize().width, 3124);
    SaveItemView* startEntry = list->getVisibleItems().front();

    for (float x = 0; x >= -2100; x -= 37) {
        scrollTo(x);
        expectStripMatchesView();
        EXPECT_LE(SaveItemView::getLiveCount(), 5);
    }
    scrollTo(-2100);
    expectStripMatchesView();
    EXPECT_EQ(SaveScene::getSavedListOffset(), -2100);
    EXPECT_EQ(startEntry->getParent(), nullptr);
    EXPECT_FALSE(list->getItemPool().contains(static_cast<SaveItemSavedView*>(nullptr)));

    scrollTo(0);
    expectStripMatchesView();
    EXPECT_EQ(list->getVisibleItems().front(), startEntry);
    EXPECT_LE(SaveItemView::getLiveCount(), 5);
}

// Memory stays bounded however far the list is scrolled: a thumbnail belongs
// to the entry showing it, never to the shared texture cache.
TEST_F(SaveSceneTest, EntriesLetGoOfTheirThumbnailsWhenTheyLeaveTheStrip) {
    for (SaveData* record : addPrograms(6)) {
        writePicture(SaveDataManager::getInstance()->getImageFullPath(record), 570,
                     engine::Color4B(200, 30, 30, 255));
    }
    showList();
    const std::size_t cached = engine::Director::getInstance()->getTextureCache()->getTextureCount();
    auto showsThumbnail = [](SaveItemView* item) {
        auto* saved = dynamic_cast<SaveItemSavedView*>(item);
        return saved && saved->showsThumbnail();
    };
    for (const float end : {-2100.0f, 0.0f}) {
        const float step = end < 0 ? -350 : 350;
        for (float x = end - 6 * step; x != end + step; x += step) {
            scrollTo(x);
            list->getThumbnailLoader().waitUntilIdle();
            driver->step();
        }
        for (SaveItemView* item : list->getVisibleItems()) {
            EXPECT_EQ(showsThumbnail(item), item->index > 0) << item->index;
        }
        EXPECT_FALSE(list->getItemPool().empty());
        for (SaveItemSavedView* pooled : list->getItemPool()) {
            EXPECT_FALSE(pooled->showsThumbnail());
        }
    }
    EXPECT_EQ(engine::Director::getInstance()->getTextureCache()->getTextureCount(), cached);
}

TEST_F(SaveSceneTest, AJumpFurtherThanTheViewFindsTheEntriesAtTheNewPlace) {
    addPrograms(30);
    showList();
    scrollTo(-7000);
    expectStripMatchesView();
    EXPECT_FALSE(list->getVisibleItems().empty());
    scrollTo(-350);
    expectStripMatchesView();
}

TEST_F(SaveSceneTest, TheOffsetSurvivesARebuildAndIsClampedToAShorterStrip) {
    std::vector<SaveData*> records = addPrograms(6);
    showList();
    scrollTo(-1400);
    showList();
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentOffset().x, -1400);
    expectStripMatchesView();
    EXPECT_EQ(list->getVisibleItems().front()->index, 3);

    for (int i = 0; i < 3; ++i) {
        SaveDataManager::getInstance()->removeData(records[static_cast<std::size_t>(i)]);
    }
    showList();
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentOffset().x, -(SaveScene::contentWidth(3) - 1024));
    expectStripMatchesView();
}

TEST_F(SaveSceneTest, DraggingAnEntryScrollsTheListAndOpensNothing) {
    addPrograms(4);
    showList();
    engine::Scene* before = engine::Director::getInstance()->getRunningScene();
    driver->touchBegan(Vec2(862, 384));
    for (int i = 1; i <= 10; ++i) {
        driver->touchMoved(Vec2(862 - 30.0f * i, 384));
        driver->step();
    }
    driver->touchEnded(Vec2(562, 384));
    driver->advance(1.0f);
    EXPECT_LT(list->getScrollView()->getContentOffset().x, -200);
    EXPECT_EQ(engine::Director::getInstance()->getRunningScene(), before);
    EXPECT_FALSE(list->isDeleteMode());
}

TEST_F(SaveSceneTest, SelectionTogglesAndTheLastDeselectionLeavesDeleteMode) {
    addPrograms(4);
    showList();
    scrollTo(-350); // programs 1 and 2 centred at x 512 and 862
    driver->touchBegan(Vec2(512, 384));
    driver->advance(2.4f);
    driver->touchEnded(Vec2(512, 384));
    driver->step();
    ASSERT_TRUE(list->isDeleteMode());
    ASSERT_NE(list->getDeleteLayer(), nullptr);
    tap(Vec2(862, 384));
    EXPECT_EQ(list->getSelection().size(), 2u);
    tap(Vec2(862, 384));
    EXPECT_EQ(list->getSelection().size(), 1u);
    EXPECT_TRUE(list->isDeleteMode());
    // Titles do nothing in delete mode.
    tap(Vec2(512, 200));
    EXPECT_EQ(list->getEditLayer(), nullptr);
    tap(Vec2(512, 384));
    EXPECT_FALSE(list->isDeleteMode());
    EXPECT_EQ(list->getDeleteLayer(), nullptr);
    EXPECT_TRUE(list->getSelection().empty());
    for (SaveItemView* item : list->getVisibleItems()) {
        EXPECT_FALSE(item->selected);
        EXPECT_FALSE(item->selectedMark->isVisible());
    }
}

TEST_F(SaveSceneTest, DeletionHappensOnlyAfterOkAndRemovesFilesAndEntries) {
    std::vector<SaveData*> records = addPrograms(4); // listed 4th, 3rd, 2nd, 1st saved
    const std::string firstFile = root() + records[3]->path;
    const std::string secondFile = root() + records[2]->path;
    const int keptId = records[0]->identifier;
    showList();
    scrollTo(-350);
    driver->touchBegan(Vec2(512, 384));
    driver->advance(2.4f);
    driver->touchEnded(Vec2(512, 384));
    driver->step();
    tap(Vec2(862, 384));
    ASSERT_EQ(list->getSelection().size(), 2u);

    tap(kDeleteButton);
    ASSERT_NE(alert(), nullptr);
    tap(kAlertCancel);
    driver->advance(0.2f);
    EXPECT_EQ(alert(), nullptr);
    EXPECT_EQ(list->getSelection().size(), 2u);
    EXPECT_TRUE(list->isDeleteMode());

    tap(kDeleteButton);
    tap(kOutside);
    driver->advance(0.2f);
    EXPECT_EQ(alert(), nullptr);
    EXPECT_EQ(list->getSelection().size(), 2u);
    EXPECT_EQ(SaveDataManager::getInstance()->getDatas().size(), 4u);

    tap(kDeleteButton);
    tap(kAlertOk);
    driver->advance(0.2f);
    EXPECT_EQ(alert(), nullptr);
    EXPECT_FALSE(list->isDeleteMode());
    EXPECT_TRUE(list->getSelection().empty());
    const auto& datas = SaveDataManager::getInstance()->getDatas();
    ASSERT_EQ(datas.size(), 2u);
    EXPECT_EQ(datas.back()->identifier, keptId);
    EXPECT_FALSE(engine::FileUtils::getInstance()->isFileExist(firstFile));
    EXPECT_FALSE(engine::FileUtils::getInstance()->isFileExist(secondFile));
    // Rebuilt: the strip shows the two that are left, clamped to the end.
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentSize().width, SaveScene::contentWidth(2));
    expectStripMatchesView();
}

TEST_F(SaveSceneTest, AnEditedTitleIsAppliedOnceAndWrittenToTheList) {
    SaveData* record = addPrograms(2)[1];
    showList();
    tap(Vec2(862, 200));
    ASSERT_NE(list->getEditLayer(), nullptr);
    engine::ui::EditBox* box = engine::ui::EditBox::getFocused();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(std::string(box->getText()), record->title);
    box->setText("とびら");

    tap(kOutside);
    EXPECT_EQ(record->title, "とびら");
    EXPECT_EQ(list->getEditLayer(), nullptr);
    // A store reading the list file anew sees the title.
    SaveDataManager* reread = made(SaveDataManager::create());
    ASSERT_EQ(reread->getDatas().size(), 2u);
    EXPECT_EQ(reread->getDatas().front()->title, "とびら");
    EXPECT_EQ(list->getVisibleItems().at(1)->titleLabel->getString(), "とびら");

    // The end-of-editing report that follows applies nothing more.
    record->title = "changed elsewhere";
    driver->advance(0.3f);
    EXPECT_EQ(record->title, "changed elsewhere");
}

TEST_F(SaveSceneTest, ReturnInTheTitleEditorAppliesAfterADelay) {
    SaveData* record = addPrograms(1)[0];
    showList();
    tap(Vec2(862, 200));
    engine::ui::EditBox* box = engine::ui::EditBox::getFocused();
    ASSERT_NE(box, nullptr);
    box->setText("");
    box->closeKeyboard();
    driver->step();
    EXPECT_NE(list->getEditLayer(), nullptr);
    driver->advance(0.2f);
    EXPECT_EQ(list->getEditLayer(), nullptr);
    EXPECT_EQ(record->title, "");
}

TEST_F(SaveSceneTest, EntriesOpenTheEditorAndItsBackButtonReturnsToTheSamePlace) {
    std::vector<SaveData*> records = addPrograms(5);
    showList();
    scrollTo(-700);
    tap(Vec2(512, 384)); // program 2
    driver->advance(0.7f);
    FieldScene* editor = shown<FieldScene>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getSession().record(), records[3]);

    tap(kBackButton);
    driver->advance(1.2f); // the back button's 0.5 s check, the picture, the slide
    list = shown<SaveScene>();
    ASSERT_NE(list, nullptr);
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentOffset().x, -700);

    scrollTo(0);
    tap(Vec2(512, 384)); // start a new program
    driver->advance(0.7f);
    editor = shown<FieldScene>();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->getSession().record(), nullptr);
    EXPECT_EQ(editor->getSession().record()->identifier, 0);
    EXPECT_FALSE(SaveDataManager::getInstance()->getDatas().contains(editor->getSession().record()));
}

// Counts the screen changes asked for, and makes them.
class CountingNavigator : public ScreenNavigator {
public:
    bool openEditor(SaveData* record) override {
        ++editorsOpened;
        return real.openEditor(record);
    }
    bool openList() override { return real.openList(); }

    AppNavigator real;
    int editorsOpened = 0;
};

// Catches a list that opens an editor for every tap until the slide starts
// (no "leaving" guard): a double click within one frame, then a tap in the
// middle of the slide (which the engine holds back, PlatformInputTest).
TEST_F(SaveSceneTest, ADoubleClickAndTapsDuringTheSlideOpenOneEditor) {
    CountingNavigator counting;
    ScreenNavigator* installed = ScreenNavigator::get();
    ScreenNavigator::install(&counting);
    addPrograms(1);
    showList();
    for (int click = 0; click < 2; ++click) { // start a new program, twice
        driver->touchBegan(Vec2(512, 384));
        driver->touchEnded(Vec2(512, 384));
    }
    driver->advance(0.2f);
    tap(Vec2(512, 384));
    driver->advance(1.0f);
    ScreenNavigator::install(installed);
    EXPECT_EQ(counting.editorsOpened, 1);
    EXPECT_NE(shown<FieldScene>(), nullptr);
}

// Catches a focus that starts away from the entry in the middle, walks past
// either end or out of view, a frame that does not follow it, Return
// opening another program than the focused one, and keys acting under the
// delete question, where Return and Escape answer it.
TEST_F(SaveSceneTest, ArrowKeysMoveAFocusFrameIntoViewAndReturnOpensTheFocusedProgram) {
    std::vector<SaveData*> records = addPrograms(5); // listed newest first
    showList();
    scrollTo(-700);
    SaveListKeys* keys = list->getKeys();
    const auto press = [this](SDL_Keycode key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            driver->keyPress(key);
            driver->step();
        }
    };
    EXPECT_FALSE(keys->isShown());
    press(SDLK_RIGHT);
    ASSERT_TRUE(keys->isShown());
    EXPECT_EQ(keys->focusedIndex(), 2);
    press(SDLK_RIGHT, 6);
    EXPECT_EQ(keys->focusedIndex(), 5);
    const float left = SaveScene::entryLeft(5) + list->getScrollView()->getContentOffset().x;
    EXPECT_GE(left, 0);
    EXPECT_LE(left + SaveScene::kEntryWidth, 1024);
    EXPECT_FLOAT_EQ(keys->getFrame()->getPositionX(), left - SaveListKeys::kFrameMargin);
    press(SDLK_LEFT, 7);
    EXPECT_EQ(keys->focusedIndex(), 0);
    EXPECT_FLOAT_EQ(list->getScrollView()->getContentOffset().x, 0);
    press(SDLK_DOWN, 3);

    // Under the question the arrows do nothing; Return is its OK, Escape a
    // tap beside it, and neither opens a program.
    for (const auto& [answer, expected] : {std::pair{SDLK_RETURN, "ok"}, std::pair{SDLK_ESCAPE, "outside"}}) {
        list->confirmDelete();
        AlertView* question = alert();
        ASSERT_NE(question, nullptr);
        std::string answered;
        question->onOk = [&answered](AlertView* box) {
            answered += "ok";
            box->close();
        };
        question->onOutside = [&answered](AlertView* box) {
            answered += "outside";
            box->close();
        };
        press(SDLK_LEFT);
        EXPECT_EQ(keys->focusedIndex(), 3);
        press(answer);
        driver->advance(0.7f);
        EXPECT_EQ(answered, expected);
        EXPECT_EQ(shown<FieldScene>(), nullptr);
        EXPECT_EQ(alert(), nullptr);
    }

    press(SDLK_RETURN);
    driver->advance(0.7f);
    FieldScene* editor = shown<FieldScene>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getSession().record(), records[2]);
}

#ifndef _WIN32
// Catches a picture opened with a blocking open (its worker waits for a
// writer for ever) and a list that then waits on that worker when the editor
// opens: a FIFO planted as one program's picture and a symlink to a FIFO as
// the other's must neither hold the list nor keep an edit from being saved.
TEST_F(SaveSceneTest, AFifoInAPicturesPlaceNeitherHoldsTheListNorLosesTheEdit) {
    const std::vector<SaveData*> records = addPrograms(2);
    const std::string folder = root() + "savedatas/";
    const std::string pipes[] = {folder + "img2.png", root() + "elsewhere.fifo"};
    for (const std::string& pipe : pipes) {
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0) << pipe;
    }
    ASSERT_EQ(::symlink(pipes[1].c_str(), (folder + "img1.png").c_str()), 0);

    // Past the deadline a watchdog keeps opening the pipes for writing, which
    // lets a reader stuck on one go: the test then fails instead of hanging.
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::atomic<bool> rescued{false};
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> lock(mutex);
        if (done.wait_for(lock, std::chrono::seconds(5), [&] { return finished; })) {
            return;
        }
        rescued = true;
        while (!done.wait_for(lock, std::chrono::milliseconds(10), [&] { return finished; })) {
            for (const std::string& pipe : pipes) {
                const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                }
            }
        }
    });

    const auto start = std::chrono::steady_clock::now();
    showList();
    scrollTo(-350); // both programs in view
    driver->step();
    list->getThumbnailLoader().waitUntilIdle();
    driver->step();
    tap(Vec2(512, 384)); // program 2, the newest
    driver->advance(0.7f);
    FieldScene* editor = shown<FieldScene>();
    if (editor) {
        editor->getSession().rooms().board->addCard(0, 0, Vec2(652.5f, 5514.44f), 255);
        editor->saveField();
        SaveDataManager::getInstance()->finishWrites();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    {
        std::lock_guard<std::mutex> lock(mutex);
        finished = true;
    }
    done.notify_all();
    watchdog.join();

    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(rescued) << "a read waited on a pipe";
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    EXPECT_EQ(SaveDataManager::getInstance()->loadProgram(records[1]).size(), 1u) << "the edit is saved";
    EXPECT_EQ(editor->getSession().record(), records[1]);
}
#endif // FIFOs and symlinks: POSIX only

} // namespace
