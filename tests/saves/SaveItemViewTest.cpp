#include "SaveScreenFixture.h"
#include "engine/2d/Label.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/Texture2D.h"
#include "engine/2d/TextureCache.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/RefPtr.h"
#include "saves/SaveItemAddView.h"
#include "saves/SaveItemSavedView.h"
#include "saves/SaveItemViewListener.h"
#include "saves/SaveListTexts.h"
#include "saves/ThumbnailLoader.h"

#include <fstream>

namespace {

using engine::Vec2;

struct RecordingListener : SaveItemViewListener {
    void onItemTapped(SaveItemView*) override { events.push_back("tap"); }
    void onTitleTapped(SaveItemView*) override { events.push_back("title"); }
    void onItemLongPressed(SaveItemView*) override { events.push_back("long"); }
    std::vector<std::string> events;
};

// One entry with its left edge at x 100: picture centre (250, 384), title
// from y 214 downwards.
class SaveItemViewTest : public SaveScreenTest {
protected:
    static constexpr Vec2 kPicture{250, 384};
    static constexpr Vec2 kTitle{250, 200};

    void show(SaveItemView* entry) {
        item = entry;
        item->listener = &listener;
        item->setPosition(100, 0);
        auto* scene = made(engine::Scene::create());
        scene->addChild(item);
        present(scene);
    }
    void SetUp() override {
        SaveScreenTest::SetUp();
        loader = std::make_shared<ThumbnailLoader>(engine::Director::getInstance()->getScheduler());
    }
    void showSaved(SaveData* record) { show(made(SaveItemSavedView::create(record, loader))); }
    // The worker's results reach the entries in the next frame.
    void deliverThumbnails() {
        loader->waitUntilIdle();
        driver->step();
    }
    engine::Texture2D* pictureTexture() const {
        const engine::Sprite* shown = picture();
        return shown ? shown->getTexture() : nullptr;
    }
    int picturePixelsWide() const {
        const engine::Texture2D* texture = pictureTexture();
        return texture ? texture->getPixelsWide() : 0;
    }
    float pictureWidth() const {
        const engine::Sprite* shown = picture();
        return shown ? shown->getBoundingBox().size.width : 0;
    }
    static engine::Texture2D* resource(const char* path) {
        return engine::Director::getInstance()->getTextureCache()->addImage(path);
    }

    const engine::Sprite* picture() const {
        return item->pictureNode->getChildrenCount() == 1
                   ? dynamic_cast<const engine::Sprite*>(item->pictureNode->getChildren().at(0))
                   : nullptr;
    }

    RecordingListener listener;
    SaveItemView* item = nullptr;
    std::shared_ptr<ThumbnailLoader> loader;
};

TEST_F(SaveItemViewTest, ATouchReleasedWithinTheLongPressTimeIsATap) {
    showSaved(addPrograms(1)[0]);
    driver->touchBegan(kPicture);
    driver->step();
    EXPECT_EQ(item->pictureNode->getOpacity(), SaveItemView::kTouchedOpacity);
    driver->advance(2.2f);
    driver->touchEnded(kPicture);
    driver->step();
    EXPECT_EQ(listener.events, std::vector<std::string>{"tap"});
    EXPECT_EQ(item->pictureNode->getOpacity(), 255);
}

TEST_F(SaveItemViewTest, HoldingForTwoPointThreeSecondsIsALongPressAndNoTap) {
    showSaved(addPrograms(1)[0]);
    driver->touchBegan(kPicture);
    driver->advance(2.25f);
    EXPECT_TRUE(listener.events.empty()) << "reported before 2.3 s";
    driver->advance(0.1f);
    EXPECT_EQ(listener.events, std::vector<std::string>{"long"});
    driver->touchEnded(kPicture);
    driver->step();
    EXPECT_EQ(listener.events, std::vector<std::string>{"long"});
}

TEST_F(SaveItemViewTest, ADragInTheFirstMomentSendsNothingAndAReleaseOutsideIsNoTap) {
    showSaved(addPrograms(1)[0]);
    driver->touchBegan(kPicture);
    driver->step();
    driver->touchMoved(kPicture + Vec2(-12, 0));
    driver->step();
    driver->touchMoved(kPicture);
    driver->advance(3.0f);
    driver->touchEnded(kPicture);
    driver->step();
    EXPECT_TRUE(listener.events.empty());

    // Held still, then released off the picture.
    driver->touchBegan(kPicture);
    driver->advance(0.5f);
    driver->touchMoved(Vec2(600, 384));
    driver->touchEnded(Vec2(600, 384));
    driver->step();
    EXPECT_TRUE(listener.events.empty());
}

// Catches a cancelled press reported as a tap (the cancel flag ignored when
// the touch ends): the window loses the focus in the middle of a press on the
// picture or the title, before and after the entry starts swallowing it.
TEST_F(SaveItemViewTest, APressCancelledMidwayReportsNothing) {
    showSaved(addPrograms(1)[0]);
    for (const Vec2 point : {kPicture, kTitle}) {
        for (const float heldFor : {0.1f, 1.0f}) {
            driver->touchBegan(point);
            driver->advance(heldFor);
            driver->windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
            driver->step();
            EXPECT_EQ(item->pictureNode->getOpacity(), 255);
            driver->advance(2.5f);
            driver->touchEnded(point);
            driver->step();
        }
    }
    EXPECT_TRUE(listener.events.empty());
    tap(kPicture);
    EXPECT_EQ(listener.events, std::vector<std::string>{"tap"}) << "the next touch is heard";
}

TEST_F(SaveItemViewTest, ASecondFingerOnThePictureIsIgnored) {
    showSaved(addPrograms(1)[0]);
    driver->touchBegan(kPicture);
    driver->step();
    driver->fingerDown(7, kPicture + Vec2(20, 20));
    driver->step();
    driver->fingerUp(7, kPicture + Vec2(20, 20));
    driver->step();
    EXPECT_TRUE(listener.events.empty());
    driver->touchEnded(kPicture);
    driver->step();
    EXPECT_EQ(listener.events, std::vector<std::string>{"tap"});
}

TEST_F(SaveItemViewTest, TitleTapsReachTheListenerOnlyFromSavedPrograms) {
    showSaved(addPrograms(1)[0]);
    tap(kTitle, 0.5f);
    EXPECT_EQ(listener.events, std::vector<std::string>{"title"});

    listener.events.clear();
    show(made(SaveItemAddView::create()));
    EXPECT_EQ(item->titleLabel->getString(), SaveListTexts::kStartNew);
    tap(kTitle);
    EXPECT_TRUE(listener.events.empty());
    tap(kPicture);
    EXPECT_EQ(listener.events, std::vector<std::string>{"tap"});
}

TEST_F(SaveItemViewTest, TitlesShowAtMostTwoLinesAndEveryTitleCanBeTapped) {
    const std::string long8 =
        "a title that is much longer than three hundred units of the list, so long that "
        "it would run onto six lines and more below the picture";
    struct Case {
        std::string title;
        int lines;
        bool cut;
    };
    const Case cases[] = {{"", 0, false}, {"みじかい", 1, false}, {long8, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        SaveData* record = addPrograms(1)[0];
        record->title = c.title;
        listener.events.clear();
        showSaved(record);
        EXPECT_EQ(item->titleLabel->getStringNumLines(), c.lines);
        const std::string shown = item->titleLabel->getString();
        if (c.cut) {
            ASSERT_GT(shown.size(), 3u);
            EXPECT_EQ(shown.substr(shown.size() - 3), "…");
            EXPECT_EQ(c.title.compare(0, shown.size() - 3, shown, 0, shown.size() - 3), 0);
        } else {
            EXPECT_EQ(shown, c.title);
        }
        EXPECT_EQ(record->title, c.title); // the full title stays in the record
        EXPECT_NEAR(
            item->titleLabel->convertToWorldSpace(engine::Vec2(0, item->titleLabel->getContentSize().height))
                .y,
            214, 0.5f);
        tap(kTitle, 0.5f);
        EXPECT_EQ(listener.events, std::vector<std::string>{"title"});
    }
}

TEST_F(SaveItemViewTest, TheSelectionMarkIsDrawnOverThePicture) {
    SaveData* record = addPrograms(1)[0];
    writePicture(SaveDataManager::getInstance()->getImageFullPath(record), 570,
                 engine::Color4B(30, 30, 200, 255));
    showSaved(record);
    deliverThumbnails();
    const Vec2 checkCircle(100 + 285, 520); // the mark's tick, over the picture's corner
    EXPECT_GT(driver->pixelAt(checkCircle).b, 150);
    item->setSelected(true);
    driver->step();
    const engine::Color4B mark = driver->pixelAt(checkCircle);
    EXPECT_GT(mark.r, 200);
    EXPECT_LT(mark.b, 100);
}

TEST_F(SaveItemViewTest, AProgramWithoutAReadablePictureShowsAnEmptyFieldNotTheStartPicture) {
    for (const bool garbage : {false, true}) {
        SCOPED_TRACE(garbage ? "unreadable file" : "no file");
        SaveData* record = addPrograms(1)[0];
        if (garbage) {
            std::ofstream(SaveDataManager::getInstance()->getImageFullPath(record)) << "not a picture";
        }
        showSaved(record);
        deliverThumbnails();
        EXPECT_EQ(pictureTexture(), resource(SaveItemView::kNoThumbnailPicture));
        EXPECT_NE(pictureTexture(), resource(SaveItemView::kNewProgramPicture));
    }
}

TEST_F(SaveItemViewTest, TheThumbnailAppearsOnceTheWorkerDeliversItAndStaysOutOfTheSharedCache) {
    SaveData* record = addPrograms(1)[0];
    const std::string file = SaveDataManager::getInstance()->getImageFullPath(record);
    showSaved(record);
    deliverThumbnails();
    engine::TextureCache* cache = engine::Director::getInstance()->getTextureCache();
    const std::size_t cached = cache->getTextureCount();
    writePicture(file, 570, engine::Color4B(200, 30, 30, 255));
    item->setSaveData(record);

    // Decoded, but the result waits for the main thread: still the empty field.
    loader->waitUntilIdle();
    EXPECT_EQ(pictureTexture(), resource(SaveItemView::kNoThumbnailPicture));
    driver->step();
    EXPECT_EQ(picturePixelsWide(), 570);
    EXPECT_NEAR(pictureWidth(), 285, 0.01f);
    EXPECT_GT(driver->pixelAt(kPicture).r, 150);
    EXPECT_EQ(cache->getTextureForKey(file), nullptr);
    EXPECT_EQ(cache->getTextureCount(), cached);

    // Rewritten at another density: read anew, fitted to the same square; the
    // old picture stays until the new one arrives.
    writePicture(file, 285, engine::Color4B(30, 200, 30, 255));
    item->setSaveData(record);
    EXPECT_EQ(picturePixelsWide(), 570);
    deliverThumbnails();
    EXPECT_EQ(picturePixelsWide(), 285);
    EXPECT_NEAR(pictureWidth(), 285, 0.01f);
    EXPECT_GT(driver->pixelAt(kPicture).g, 150);
}

// Run under AddressSanitizer: a result delivered to a released entry is a
// use after free.
TEST_F(SaveItemViewTest, APictureDecodedForAnEntryThatMovedOnOrWentIsDropped) {
    std::vector<SaveData*> records = addPrograms(2);
    for (SaveData* record : records) {
        writePicture(SaveDataManager::getInstance()->getImageFullPath(record), 570,
                     engine::Color4B(200, 30, 30, 255));
    }
    showSaved(records[0]);
    deliverThumbnails();
    // Both decoded, neither delivered: one entry is rebound to a program that
    // has no picture yet, the other is released.
    item->setSaveData(records[1]);
    auto* released = made(SaveItemSavedView::create(records[1], loader));
    item->getParent()->addChild(released);
    const int alive = SaveItemView::getLiveCount();
    loader->waitUntilIdle();
    const engine::RefPtr<SaveData> unsaved(made(SaveData::create()));
    item->setSaveData(unsaved.get());
    released->removeFromParent();
    engine::AutoreleasePool::current().clear();
    ASSERT_EQ(SaveItemView::getLiveCount(), alive - 1);

    driver->step();
    EXPECT_EQ(pictureTexture(), resource(SaveItemView::kNoThumbnailPicture));
}

TEST_F(SaveItemViewTest, AnEntryTakenOutOfTheSceneMidTouchAcceptsTheNextTouch) {
    showSaved(addPrograms(1)[0]);
    item->retain();
    driver->touchBegan(kPicture);
    driver->step();
    item->removeFromParentAndCleanup(false);
    driver->touchEnded(kPicture);
    driver->step();
    driver->getView(); // the scene is empty now; put the entry back
    made(engine::Director::getInstance()->getRunningScene())->addChild(item);
    item->release();
    driver->step();
    tap(kPicture);
    EXPECT_EQ(listener.events, std::vector<std::string>{"tap"});
}

} // namespace
