// Renaming a program on the list screen, and what the screen shows when the
// store cannot write a change.
#include "SaveScreenFixture.h"
#include "engine/2d/Label.h"
#include "engine/platform/GLView.h"
#include "engine/platform/MessageBox.h"
#include "engine/ui/EditBox.h"
#include "saves/SaveListTexts.h"
#include "saves/SaveScene.h"
#include "tests/support/WritesFail.h"
#include "widgets/AlertView.h"

namespace {

using engine::Vec2;
using engine::ui::EditBox;

// Program 1 (the newest) spans x 712..1012 at offset 0; its title starts at y 214.
constexpr Vec2 kNewestTitle(862, 200);
constexpr Vec2 kNewestPicture(862, 384);
constexpr Vec2 kOutside(60, 60);
constexpr Vec2 kDeleteButton(412, 634);
constexpr Vec2 kAlertOk(362, 284);

class TitleEditorTest : public SaveScreenTest {
protected:
    void SetUp() override {
        SaveScreenTest::SetUp();
        SaveScene::setSavedListOffset(0);
        engine::setMessageBoxHandler([this](const std::string& message, const std::string& title) {
            messages.push_back(title + ": " + message);
        });
    }
    void TearDown() override {
        engine::setMessageBoxHandler(nullptr);
        SaveScreenTest::TearDown();
    }

    SaveScene* showList() {
        auto* scene = made(engine::Scene::create());
        list = made(SaveScene::create());
        scene->addChild(list);
        present(scene);
        return list;
    }

    void type(const char* utf8) { driver->typeText(utf8); }
    void key(SDL_Keycode code) { driver->keyDown(code); }

    // Dark pixels in the middle band of the edit box (design x 712..1012, y 0..214).
    int darkPixelsInBox() {
        driver->step();
        engine::Image frame;
        EXPECT_TRUE(driver->capture(frame));
        int dark = 0;
        for (int y = 768 - 127; y < 768 - 87; ++y) { // the frame's rows run downwards
            for (int x = 720; x < 1004; ++x) {
                const auto pixel = frame.getPixel(x, y);
                dark += pixel.r < 100 && pixel.g < 100 && pixel.b < 100 ? 1 : 0;
            }
        }
        return dark;
    }

    std::string listedTitle() { return made(SaveDataManager::create())->getDatas().front()->title; }

    SaveScene* list = nullptr;
    std::vector<std::string> messages;
};

TEST_F(TitleEditorTest, TypingReplacesTheSelectedTitleInDarkTextAndEscapeKeepsTheOldOne) {
    SaveData* record = addPrograms(1)[0];
    record->title = "ふるいなまえ";
    SaveDataManager::getInstance()->writeList();
    showList();

    tap(kNewestTitle);
    EditBox* box = EditBox::getFocused();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->getSelectedText(), "ふるいなまえ");
    type("あたらしい");
    EXPECT_STREQ(box->getText(), "あたらしい");
    EXPECT_GT(darkPixelsInBox(), 100); // readable on the white box
    key(SDLK_ESCAPE);
    driver->advance(0.3f);
    EXPECT_EQ(list->getEditLayer(), nullptr);
    EXPECT_EQ(record->title, "ふるいなまえ");
    EXPECT_EQ(listedTitle(), "ふるいなまえ");

    tap(kNewestTitle);
    type("あたらしい");
    key(SDLK_RETURN);
    driver->advance(0.3f);
    EXPECT_EQ(list->getEditLayer(), nullptr);
    EXPECT_EQ(listedTitle(), "あたらしい");
    EXPECT_TRUE(messages.empty());
}

TEST_F(TitleEditorTest, ChangesTheStoreCannotWriteAreUndoneOnScreenAndReported) {
    const std::string failed =
        std::string(SaveListTexts::kFailureCaption) + ": " + SaveListTexts::kNotSavedMessage;
    std::vector<SaveData*> records = addPrograms(2);
    showList();
    {
        WritesFail readOnly;
        tap(kNewestTitle);
        type("とびら");
        tap(kOutside);
    }
    EXPECT_EQ(list->getVisibleItems().at(1)->titleLabel->getString(), records[1]->modify);
    EXPECT_EQ(records[1]->title, records[1]->modify);
    EXPECT_EQ(messages, std::vector<std::string>{failed});

    // Delete the newest: the list cannot be written, so it stays, files and all.
    driver->touchBegan(kNewestPicture);
    driver->advance(2.4f);
    driver->touchEnded(kNewestPicture);
    driver->step();
    tap(kDeleteButton);
    {
        WritesFail readOnly;
        tap(kAlertOk);
    }
    driver->advance(0.2f);
    EXPECT_EQ(SaveDataManager::getInstance()->getDatas().size(), 2u);
    ASSERT_EQ(list->getVisibleItems().size(), 2u);
    EXPECT_EQ(list->getVisibleItems().at(1)->data, records[1]);
    EXPECT_TRUE(engine::FileUtils::getInstance()->isFileExist(root() + records[1]->path));
    EXPECT_EQ(messages, (std::vector<std::string>{failed, failed}));
}

} // namespace
