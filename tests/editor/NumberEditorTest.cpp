// The number editor: what it takes, what it refuses, and how it closes.
#include "editor/cards/NumberEditor.h"

#include "CardScreenFixture.h"
#include "catalogue/CardSet.h"
#include "editor/EditorTexts.h"
#include "editor/cards/InputCardSprite.h"
#include "engine/2d/Label.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/platform/GLView.h"
#include "engine/ui/EditBox.h"

#include <algorithm>

namespace {

using engine::Vec2;

constexpr int kWaitCard = 2;
const Vec2 kCardCentre(500, 400);
const Vec2 kOutside(60, 60);

class NumberEditorTest : public CardScreenTest {
protected:
    void SetUp() override {
        CardScreenTest::SetUp();
        scene->addChild(made(engine::LayerColor::create(engine::Color4B(255, 255, 255, 255))));
        card = made(InputCardSprite::createForCard(jamView(), pavlune::full, kWaitCard));
        card->setValue("3");
        card->setPosition(kCardCentre);
        scene->addChild(card);
        editor = made(NumberEditor::create(card));
        editor->onCommit = [this](NumberEditor* from, InputCardSprite* edited) {
            calls.push_back(from == editor && edited == card ? "commit:" + edited->getValue() : "commit?");
        };
        editor->onCancel = [this](NumberEditor*, InputCardSprite*) { calls.push_back("cancel"); };
        scene->addChild(editor);
        driver->step();
    }

    void type(const char* utf8) { driver->typeText(utf8); }
    void key(SDL_Keycode code) { driver->keyDown(code); }
    // Replaces the text and presses outside the box; then the frame in which
    // the actions started by the press take their first (empty) step.
    void commitText(const char* text) {
        editor->getEditBox()->setText(text);
        driver->touchBegan(kOutside);
        driver->touchEnded(kOutside);
        driver->step(0);
    }
    // Compares pointers only: a removed editor is already destroyed.
    bool isShown(const NumberEditor* which) const {
        const auto& children = scene->getChildren();
        return std::find(children.begin(), children.end(), which) != children.end();
    }
    void reopen() {
        calls.clear();
        TearDown();
        SetUp();
    }

    InputCardSprite* card = nullptr;
    NumberEditor* editor = nullptr;
    std::vector<std::string> calls;
};

TEST_F(NumberEditorTest, OpensOverTheCardReadyForTyping) {
    engine::ui::EditBox* box = editor->getEditBox();
    EXPECT_TRUE(box->isEditing());
    EXPECT_STREQ(box->getText(), "3");
    EXPECT_EQ(editor->getPicture()->getPosition(), kCardCentre);
    // Rectangle 0 of the wait card: offset (0, -13) on the 200 x 120 picture.
    EXPECT_EQ(box->getPosition(), kCardCentre + Vec2(0, -13));
    EXPECT_EQ(box->getContentSize(), engine::Size(200, 94));
    driver->step();
    // The white screen beneath, dimmed by half.
    const engine::Color4B dimmed = driver->pixelAt(kOutside);
    EXPECT_NEAR(dimmed.r, 127, 2);
    EXPECT_NEAR(dimmed.b, 127, 2);
    keepFrame("number-editor");
}

TEST_F(NumberEditorTest, RefusedTextShakesAndKeepsTheEditorOpen) {
    // "1000" fits jam's 60 but would reach 1000000 in latte's 1000.
    for (const char* text : {"1..5", "-3", "2e3", "20000", "1000"}) {
        SCOPED_TRACE(text);
        commitText(text);
        driver->step(0.02f);
        EXPECT_NEAR(editor->getPositionX(), -NumberEditor::kShakeDistance, 0.01);
        // The third round of (-10, 0, 10, 0) in 0.08 s, at its right end.
        driver->step(0.2f);
        EXPECT_NEAR(editor->getPositionX(), NumberEditor::kShakeDistance, 0.01);
        driver->advance(0.05f);
        EXPECT_EQ(editor->getPositionX(), 0);
        EXPECT_EQ(editor->getNumberOfRunningActions(), 0u);
        EXPECT_TRUE(isShown(editor));
        EXPECT_TRUE(editor->getEditBox()->isEditing());
        EXPECT_EQ(card->getValue(), "3");
    }
    EXPECT_TRUE(calls.empty());
}

TEST_F(NumberEditorTest, AcceptedTextSetsTheCardAndCloses) {
    struct Case {
        const char* typed;
        const char* stored;
        const char* back;
    };
    // "１．５" is what an input method in hiragana mode types for 1.5.
    for (const Case& c : {Case{".5", "0.5", "30"}, Case{"\xEF\xBC\x91\xEF\xBC\x8E\xEF\xBC\x95", "1.5", "90"},
                          Case{"999.9", "999.9", "59994"}}) {
        SCOPED_TRACE(c.typed);
        reopen();
        commitText(c.typed);
        EXPECT_EQ(card->getValue(), c.stored);
        EXPECT_EQ(card->getBackLabel()->getString(), c.back);
        EXPECT_EQ(card->getFrontLargeLabel()->getString(), c.stored);
        EXPECT_EQ(calls, std::vector<std::string>{std::string("commit:") + c.stored});
        driver->advance(NumberEditor::kFadeDuration + engine::HeadlessDriver::kFrame);
        EXPECT_FALSE(isShown(editor)) << "faded out and removed";
    }
}

TEST_F(NumberEditorTest, ReturnCommitsTypedTextAndEscapeCancels) {
    key(SDLK_BACKSPACE);
    type("1..");
    key(SDLK_RETURN);
    EXPECT_TRUE(editor->getEditBox()->isEditing()) << "refused: typing goes on";
    key(SDLK_BACKSPACE);
    type("5");
    key(SDLK_RETURN);
    EXPECT_EQ(card->getValue(), "1.5");
    EXPECT_EQ(calls, std::vector<std::string>{"commit:1.5"});

    reopen();
    type("7");
    key(SDLK_ESCAPE);
    driver->advance(NumberEditor::kFadeDuration + engine::HeadlessDriver::kFrame);
    EXPECT_EQ(card->getValue(), "3");
    EXPECT_EQ(calls, std::vector<std::string>{"cancel"});
    EXPECT_FALSE(isShown(editor)) << "faded out and removed";
}

} // namespace

// Catches a refusal without a word, a word that does not fit the reason, and
// long text running out of the box.
TEST_F(NumberEditorTest, RefusedTextIsExplainedUnderTheBox) {
    struct Case {
        const char* typed;
        const char* reason;
    } cases[] = {
        {"abc", "すうじを いれてね"},
        {"-3", "すうじを いれてね"},
        {"1000", "1000 より ちいさい かずに してね"},
        {"1.05", "てんの あとは 1けたまでに してね"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        commitText(c.typed);
        EXPECT_EQ(editor->getReason(), c.reason);
        ASSERT_NE(editor->getReasonLabel(), nullptr);
        // Under the box, on the screen.
        const engine::Rect box = editor->getEditBox()->getBoundingBox();
        EXPECT_LT(editor->getReasonLabel()->getPositionY(), box.getMinY());
        EXPECT_GT(
            editor->getReasonLabel()->getPositionY() - editor->getReasonLabel()->getContentSize().height, 0);
    }
    editor->getEditBox()->setText("");
    type("12345678901234567890");
    EXPECT_EQ(std::string(editor->getEditBox()->getText()).size(),
              static_cast<std::size_t>(NumberEditor::kMaxLength));
    keepFrame("number-editor-refused");
}

// Catches an emptied box taken as 0 (the old "40 WAIT 0") or as an empty
// value: the old number comes back into the box, the line under it says so,
// and only a second commit closes the editor, with the old number.
TEST_F(NumberEditorTest, AnEmptiedBoxGetsTheOldNumberBack) {
    key(SDLK_BACKSPACE);
    key(SDLK_RETURN);
    EXPECT_TRUE(isShown(editor));
    EXPECT_TRUE(editor->getEditBox()->isEditing());
    EXPECT_STREQ(editor->getEditBox()->getText(), "3");
    EXPECT_EQ(editor->getReason(), EditorTexts::kNumberKept);
    EXPECT_EQ(card->getValue(), "3");
    EXPECT_TRUE(calls.empty());
    key(SDLK_RETURN);
    EXPECT_EQ(calls, std::vector<std::string>{"commit:3"});

    // A card without a number yet (from an old file) is asked for one.
    reopen();
    card->setValue("");
    commitText("");
    EXPECT_EQ(editor->getReason(), "すうじを いれてね");
    EXPECT_TRUE(isShown(editor));
    EXPECT_TRUE(calls.empty());
}

// Catches the input method's full-width digits refused when typed key by key,
// and a box that opens with its number unselected (typing 5 after the 3
// would give 35).
TEST_F(NumberEditorTest, FullWidthDigitsTypedByTheInputMethodReplaceTheNumber) {
    type("\xEF\xBC\x95"); // "５"
    key(SDLK_RETURN);
    EXPECT_EQ(card->getValue(), "5");
    EXPECT_EQ(card->getBackLabel()->getString(), "300");
    EXPECT_EQ(calls, std::vector<std::string>{"commit:5"});
}

// Catches play naming the row by its index instead of the line the field shows.
TEST(EditorTextsTest, PlayNamesTheRowWithAWrongNumberByItsLine) {
    EXPECT_EQ(EditorTexts::wrongNumberRow(0), "10 の カードの すうじを なおしてね");
    EXPECT_EQ(EditorTexts::wrongNumberRow(3), "40 の カードの すうじを なおしてね");
}

// Catches the loop card taking turns the que compare cannot hold.
TEST_F(NumberEditorTest, TheLoopCardTakesWholeTurnsUpTo65535) {
    TearDown();
    CardScreenTest::SetUp();
    auto* loop = made(InputCardSprite::createForCard(jamView(), pavlune::full, 8));
    loop->setPosition(kCardCentre);
    scene->addChild(loop);
    auto* loopEditor = made(NumberEditor::create(loop));
    scene->addChild(loopEditor);
    driver->step();
    for (const char* refused : {"2.5", "65536", "0"}) {
        loopEditor->getEditBox()->setText(refused);
        EXPECT_FALSE(loopEditor->commit()) << refused;
        EXPECT_EQ(loopEditor->getReason(), "1 から 65535 までの かずに してね");
    }
    loopEditor->getEditBox()->setText("65535");
    EXPECT_TRUE(loopEditor->commit());
    EXPECT_EQ(loop->getValue(), "65535");
}
