#include "engine/ui/EditBox.h"

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "engine/platform/MessageBox.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace engine;
using engine::ui::EditBox;
using engine::ui::EditBoxDelegate;

class RecordingDelegate : public EditBoxDelegate {
public:
    void editBoxEditingDidBegin(EditBox*) override { calls.push_back("begin"); }
    void editBoxEditingDidEnd(EditBox* box) override {
        calls.push_back(std::string("end:") + box->getText());
    }
    void editBoxTextChanged(EditBox*, const std::string& text) override {
        calls.push_back("changed:" + text);
    }
    void editBoxReturn(EditBox* box) override {
        calls.push_back(std::string("return:") + box->getText());
        if (onReturn) {
            onReturn(box);
        }
    }
    void editBoxEditingDidEndWithAction(EditBox*, EditBoxEndAction action) override {
        calls.push_back(action == EditBoxEndAction::RETURN   ? "endWith:return"
                        : action == EditBoxEndAction::CANCEL ? "endWith:cancel"
                                                             : "endWith:other");
    }

    std::vector<std::string> calls;
    std::function<void(EditBox*)> onReturn;
};

class EditBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        Scene* scene = Scene::create();
        scene->addChild(LayerColor::create(Color4B(255, 255, 255, 255)));
        // Something beneath the box that sees the touches the box does not take.
        auto* below = EventListenerTouchOneByOne::create();
        below->onTouchBegan = [this](Touch*, Event*) {
            ++touchesBelow;
            return false;
        };
        Director::getInstance()->getEventDispatcher()->addEventListenerWithFixedPriority(below, 1);
        box = EditBox::create(Size(200, 40), "");
        ASSERT_NE(box, nullptr);
        box->setFont("Arial", 20);
        box->setFontColor(Color3B::BLACK);
        box->setInputMode(EditBox::InputMode::SINGLE_LINE);
        box->setReturnType(EditBox::KeyboardReturnType::GO);
        box->setDelegate(&delegate);
        box->setPosition(512, 384);
        scene->addChild(box);
        driver.runWithScene(scene);
    }

    void text(const char* utf8) { driver.typeText(utf8); }
    void composing(const char* utf8, int start) {
        SDL_Event event{};
        event.type = SDL_TEXTEDITING;
        std::strncpy(event.edit.text, utf8, sizeof(event.edit.text) - 1);
        event.edit.start = start;
        driver.getView()->handleEvent(event);
    }
    void key(SDL_Keycode code, Uint16 mod = KMOD_NONE) { driver.keyDown(code, mod); }
    void tap(const Vec2& point) {
        driver.touchBegan(point);
        driver.touchEnded(point);
    }

    RecordingDelegate delegate; // outlives the scene, which ends with the driver
    HeadlessDriver driver;
    EditBox* box = nullptr;
    int touchesBelow = 0;
};

TEST_F(EditBoxTest, TypingEditingAndReturnReachTheDelegateInOrder) {
    box->setText("1");
    box->touchDownAction(box, ui::Widget::TouchEventType::ENDED);
    ASSERT_TRUE(box->isEditing());
    EXPECT_EQ(EditBox::getFocused(), box);
    text("2");
    text(".5");
    key(SDLK_LEFT);
    key(SDLK_BACKSPACE); // removes the '.' before the caret
    key(SDLK_RIGHT);
    text("0");
    EXPECT_STREQ(box->getText(), "1250");
    key(SDLK_HOME);
    key(SDLK_DELETE);
    EXPECT_STREQ(box->getText(), "250");
    key(SDLK_RETURN);
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(EditBox::getFocused(), nullptr);
    const std::vector<std::string> expected{"begin",       "changed:12",     "changed:12.5",
                                            "changed:125", "changed:1250",   "changed:250",
                                            "return:250",  "endWith:return", "end:250"};
    EXPECT_EQ(delegate.calls, expected);

    // Closed, the box no longer takes keys.
    text("9");
    EXPECT_STREQ(box->getText(), "250");
}

TEST_F(EditBoxTest, CompositionShowsWhileTypedAndCommitsAsText) {
    box->openKeyboard();
    text("ab");
    composing("にほ", 2);
    EXPECT_STREQ(box->getText(), "ab"); // not yet text
    EXPECT_EQ(box->getComposition(), "にほ");
    EXPECT_EQ(box->getTextLabel()->getString(), "abにほ");
    // Keys belong to the input method while it composes.
    key(SDLK_BACKSPACE);
    EXPECT_STREQ(box->getText(), "ab");
    composing("", 0);
    text("日本");
    EXPECT_STREQ(box->getText(), "ab日本");
    EXPECT_TRUE(box->getComposition().empty());
    EXPECT_EQ(box->getTextLabel()->getString(), "ab日本");
    key(SDLK_BACKSPACE); // one whole character, three bytes
    EXPECT_STREQ(box->getText(), "ab日");
    const std::vector<std::string> expected{"begin", "changed:ab", "changed:ab日本", "changed:ab日"};
    EXPECT_EQ(delegate.calls, expected);
}

TEST_F(EditBoxTest, TouchOutsideEndsEditingAndPassesTheTouchOn) {
    tap(Vec2(512, 384)); // inside opens
    ASSERT_TRUE(box->isEditing());
    EXPECT_EQ(touchesBelow, 0); // the box took that touch
    text("x");
    tap(Vec2(100, 100));
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(touchesBelow, 1);
    const std::vector<std::string> expected{"begin", "changed:x", "endWith:other", "end:x"};
    EXPECT_EQ(delegate.calls, expected); // no return without the return key
}

TEST_F(EditBoxTest, PasteIsOneLineAndMaxLengthHolds) {
    box->setMaxLength(6);
    box->openKeyboard();
    ASSERT_EQ(SDL_SetClipboardText("12\n34"), 0) << SDL_GetError();
    key(SDLK_v, KMOD_LCTRL);
    EXPECT_STREQ(box->getText(), "1234");
    text("ねこです");
    EXPECT_STREQ(box->getText(), "1234ねこ");
}

TEST_F(EditBoxTest, SelectionIsReplacedByTypingAndGoesThroughTheClipboard) {
    struct Press {
        SDL_Keycode code;
        Uint16 mod;
    };
    struct Case {
        const char* start;
        std::vector<Press> keys;
        const char* typed;
        const char* expected;
        const char* clipboard; // after the keys, or null when untouched
    };
    const Case cases[] = {
        {"ねこです", {{SDLK_a, KMOD_LCTRL}}, "x", "x", nullptr},
        {"abcd", {{SDLK_LEFT, KMOD_LSHIFT}, {SDLK_LEFT, KMOD_LSHIFT}}, "Z", "abZ", nullptr},
        {"abcd",
         {{SDLK_LEFT, KMOD_NONE}, {SDLK_HOME, KMOD_LSHIFT}, {SDLK_BACKSPACE, KMOD_NONE}},
         "",
         "d",
         nullptr},
        {"abcd",
         {{SDLK_HOME, KMOD_NONE}, {SDLK_END, KMOD_RSHIFT}, {SDLK_DELETE, KMOD_NONE}},
         "",
         "",
         nullptr},
        {"abcd", {{SDLK_HOME, KMOD_LSHIFT}, {SDLK_LEFT, KMOD_NONE}}, "Z", "Zabcd", nullptr},
        {"abcd", {{SDLK_HOME, KMOD_LSHIFT}, {SDLK_RIGHT, KMOD_NONE}}, "Z", "abcdZ", nullptr},
        {"aあb",
         {{SDLK_HOME, KMOD_NONE},
          {SDLK_RIGHT, KMOD_LSHIFT},
          {SDLK_RIGHT, KMOD_LSHIFT},
          {SDLK_x, KMOD_LCTRL},
          {SDLK_END, KMOD_NONE},
          {SDLK_v, KMOD_LCTRL}},
         "",
         "baあ",
         "aあ"},
        {"abc",
         {{SDLK_a, KMOD_LCTRL}, {SDLK_c, KMOD_RCTRL}, {SDLK_RIGHT, KMOD_NONE}, {SDLK_v, KMOD_LCTRL}},
         "",
         "abcabc",
         "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        ASSERT_EQ(SDL_SetClipboardText("-"), 0) << SDL_GetError();
        box->setText(c.start);
        box->openKeyboard();
        for (const Press& press : c.keys) {
            key(press.code, press.mod);
        }
        text(c.typed);
        EXPECT_STREQ(box->getText(), c.expected);
        char* clip = SDL_GetClipboardText();
        EXPECT_STREQ(clip, c.clipboard ? c.clipboard : "-");
        SDL_free(clip);
        box->closeKeyboard();
    }
}

TEST_F(EditBoxTest, ADragSelectsAndTheSelectionIsHighlighted) {
    box->setText("Hello World");
    box->openKeyboard();
    const auto highlighted = [&] {
        driver.step();
        Image image;
        EXPECT_TRUE(driver.capture(image));
        int blue = 0;
        for (int x = 512 - 100; x < 512 + 100; ++x) {
            const Color4B pixel = image.getPixel(x, 384);
            blue += pixel.b > pixel.r + 40 ? 1 : 0;
        }
        return blue;
    };
    EXPECT_EQ(highlighted(), 0);
    driver.touchBegan(Vec2(412, 384)); // the start of the text
    driver.touchMoved(Vec2(512, 384));
    driver.touchMoved(Vec2(611, 384)); // past its end
    driver.touchEnded(Vec2(611, 384));
    EXPECT_EQ(box->getSelectedText(), "Hello World");
    EXPECT_GT(highlighted(), 40);
    key(SDLK_ESCAPE);
    EXPECT_EQ(delegate.calls.back(), "end:Hello World");
    EXPECT_EQ(delegate.calls.at(delegate.calls.size() - 2), "endWith:cancel");
}

TEST_F(EditBoxTest, ReturnHandlerMayRemoveTheBox) {
    delegate.onReturn = [](EditBox* edited) { edited->removeFromParent(); };
    box->openKeyboard();
    text("7");
    key(SDLK_RETURN);
    EXPECT_EQ(EditBox::getFocused(), nullptr);
    // Input after the box left the scene goes nowhere and harms nothing.
    text("8");
    driver.step();
    const std::vector<std::string> expected{"begin", "changed:7", "return:7", "endWith:other", "end:7"};
    EXPECT_EQ(delegate.calls, expected);
}

TEST_F(EditBoxTest, OpenBoxShowsTypedTextOnScreen) {
    box->openKeyboard();
    const auto inkInBox = [&] {
        Image image;
        EXPECT_TRUE(driver.capture(image));
        int ink = 0;
        for (int y = 384 - 20; y < 384 + 20; ++y) {
            for (int x = 512 - 100; x < 512 + 100; ++x) {
                if (image.getPixel(x, y).r < 128) {
                    ++ink;
                }
            }
        }
        return ink;
    };
    driver.step();
    const int caretOnly = inkInBox();
    text("Hello");
    driver.step();
    EXPECT_GT(inkInBox(), caretOnly + 40);
}

// Catches a caret placed by bytes rather than characters (or measured over
// the wrong part of the text): over three full-width characters, all of one
// width, it stands at even steps from the text's start to its end.
TEST_F(EditBoxTest, TheCaretStandsBetweenJapaneseCharacters) {
    box->openKeyboard();
    text("あいう");
    // The caret: the box's thin, line-high bar.
    const std::function<const Node*(const Node*)> findCaret = [&](const Node* node) -> const Node* {
        for (const Node* child : node->getChildren()) {
            const Size size = child->getContentSize();
            if (dynamic_cast<const LayerColor*>(child) && child->isVisible() && size.width < 4 &&
                size.height > 10) {
                return child;
            }
            if (const Node* found = findCaret(child)) {
                return found;
            }
        }
        return nullptr;
    };
    std::vector<float> stops;
    for (const SDL_Keycode move : {SDLK_END, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT}) {
        key(move);
        driver.step();
        const Node* caret = findCaret(box);
        ASSERT_NE(caret, nullptr);
        stops.push_back(caret->getPositionX());
    }
    const float character = (stops[0] - stops[3]) / 3;
    EXPECT_GT(character, 10.0f);
    for (std::size_t i = 1; i < stops.size(); ++i) {
        EXPECT_NEAR(stops[i - 1] - stops[i], character, 1.0f) << "step " << i;
    }
}

TEST(PlatformServicesTest, MessageBoxAndUrlGoThroughReplaceableHandlers) {
    HeadlessDriver driver;
    std::vector<std::string> shown;
    setMessageBoxHandler([&](const std::string& message, const std::string& title) {
        shown.push_back(title + "|" + message);
    });
    EXPECT_TRUE(MessageBox("せつぞくしなおしてください。", "しっぱい"));
    setMessageBoxHandler(nullptr);
    // Seen by nobody, so the caller knows to show it another way.
    EXPECT_FALSE(MessageBox("headless: shown nowhere, returns at once", "x"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "しっぱい|せつぞくしなおしてください。");

    struct App : Application {
        bool applicationDidFinishLaunching() override { return true; }
        void applicationDidEnterBackground() override {}
        void applicationWillEnterForeground() override {}
    } app;
    EXPECT_FALSE(app.openURL("https://example.org/copyright/win32/")); // headless opens nothing
    std::string opened;
    Application::setURLOpener([&](const std::string& url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(app.openURL("https://example.org/copyright/win32/"));
    EXPECT_FALSE(app.openURL(""));
    Application::setURLOpener(nullptr);
    EXPECT_EQ(opened, "https://example.org/copyright/win32/");
}

} // namespace
