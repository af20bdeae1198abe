#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/TransitionSlideInB.h"
#include "engine/2d/TransitionSlideInT.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/2d/events/Touch.h"
#include "engine/platform/GLView.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "engine/platform/InputTranslator.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace engine;

struct MouseRecord {
    EventMouse::MouseEventType type;
    EventMouse::MouseButton button;
    float cursorX;
    float cursorY;
    float scrollY;

    explicit MouseRecord(const EventMouse* e)
        : type(e->getMouseEventType()), button(e->getMouseButton()), cursorX(e->getCursorX()),
          cursorY(e->getCursorY()), scrollY(e->getScrollY()) {}
    EventMouse::MouseEventType getMouseEventType() const { return type; }
    EventMouse::MouseButton getMouseButton() const { return button; }
    float getCursorX() const { return cursorX; }
    float getCursorY() const { return cursorY; }
    float getScrollY() const { return scrollY; }
};

struct TouchRecord {
    std::string phase;
    int id;
    Vec2 location;
    bool finger;
};

// Listens on a window-sized node and records every touch it claims.
class PlatformInputTest : public ::testing::Test {
protected:
    explicit PlatformInputTest(const Size& frame = Size(1024, 768)) : driver(frame) {}

    void SetUp() override {
        scene = Scene::create();
        Node* target = LayerColor::create(Color4B(0, 0, 0, 255));
        scene->addChild(target);
        auto* listener = EventListenerTouchOneByOne::create();
        listener->onTouchBegan = [this](Touch* t, Event*) {
            touches.push_back({"began", t->getID(), t->getLocation(), t->isFinger()});
            return true;
        };
        listener->onTouchMoved = [this](Touch* t, Event*) {
            touches.push_back({"moved", t->getID(), t->getLocation(), t->isFinger()});
        };
        listener->onTouchEnded = [this](Touch* t, Event*) {
            touches.push_back({"ended", t->getID(), t->getLocation(), t->isFinger()});
        };
        listener->onTouchCancelled = [this](Touch* t, Event*) {
            touches.push_back({"cancelled", t->getID(), t->getLocation(), t->isFinger()});
        };
        Director::getInstance()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener,
                                                                                              target);
        auto* mouse = EventListenerMouse::create();
        mouse->onMouseDown = [this](EventMouse* e) { mice.emplace_back(e); };
        mouse->onMouseUp = [this](EventMouse* e) { mice.emplace_back(e); };
        mouse->onMouseScroll = [this](EventMouse* e) { mice.emplace_back(e); };
        Director::getInstance()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouse, target);
        driver.runWithScene(scene);
    }

    void expectTouch(std::size_t index, const std::string& phase, int id, const Vec2& location) {
        ASSERT_LT(index, touches.size());
        EXPECT_EQ(touches[index].phase, phase);
        EXPECT_EQ(touches[index].id, id);
        EXPECT_NEAR(touches[index].location.x, location.x, 0.75f);
        EXPECT_NEAR(touches[index].location.y, location.y, 0.75f);
    }

    HeadlessDriver driver;
    Scene* scene = nullptr;
    std::vector<TouchRecord> touches;
    std::vector<MouseRecord> mice;
};

TEST_F(PlatformInputTest, FirstMouseButtonIsTouchZeroInDesignUnits) {
    driver.touchBegan(Vec2(100, 700));
    driver.touchMoved(Vec2(120, 650));
    driver.touchEnded(Vec2(130, 640));
    ASSERT_EQ(touches.size(), 3u);
    expectTouch(0, "began", 0, Vec2(100, 700));
    expectTouch(1, "moved", 0, Vec2(120, 650));
    expectTouch(2, "ended", 0, Vec2(130, 640));
    // The button events are also mouse events, with SDL's button numbering mapped.
    ASSERT_EQ(mice.size(), 2u);
    EXPECT_EQ(mice[0].getMouseEventType(), EventMouse::MouseEventType::MOUSE_DOWN);
    EXPECT_EQ(mice[0].getMouseButton(), EventMouse::MouseButton::BUTTON_LEFT);
    EXPECT_NEAR(mice[0].getCursorY(), 700, 0.75f);
    EXPECT_EQ(mice[1].getMouseEventType(), EventMouse::MouseEventType::MOUSE_UP);
}

TEST_F(PlatformInputTest, OtherButtonsAndTheWheelAreMouseEventsOnly) {
    driver.mouseDown(SDL_BUTTON_RIGHT, Vec2(300, 300));
    driver.mouseUp(SDL_BUTTON_RIGHT, Vec2(300, 300));
    driver.mouseScroll(Vec2(400, 200), 2);
    driver.mouseScroll(Vec2(400, 200), -1);
    driver.mouseDown(SDL_BUTTON_MIDDLE, Vec2(500, 100));
    EXPECT_TRUE(touches.empty());
    ASSERT_EQ(mice.size(), 5u);
    EXPECT_EQ(mice[0].getMouseButton(), EventMouse::MouseButton::BUTTON_RIGHT);
    EXPECT_EQ(mice[2].getMouseEventType(), EventMouse::MouseEventType::MOUSE_SCROLL);
    EXPECT_FLOAT_EQ(mice[2].getScrollY(), -2); // away from the user
    EXPECT_FLOAT_EQ(mice[3].getScrollY(), 1);  // towards the user
    EXPECT_NEAR(mice[2].getCursorX(), 400, 0.75f);
    EXPECT_NEAR(mice[2].getCursorY(), 200, 0.75f);
    // The middle button is button 2, with the cursor in design units, y up.
    EXPECT_EQ(static_cast<int>(mice[4].getMouseButton()), 2);
    EXPECT_NEAR(mice[4].getCursorX(), 500, 0.75f);
    EXPECT_NEAR(mice[4].getCursorY(), 100, 0.75f);
}

TEST_F(PlatformInputTest, FingersAreSeparateTouchesWithTheirOwnIds) {
    driver.touchBegan(Vec2(10, 10));
    driver.fingerDown(9001, Vec2(200, 300));
    driver.fingerDown(77, Vec2(600, 300));
    driver.fingerMoved(9001, Vec2(180, 300));
    driver.fingerUp(9001, Vec2(180, 300));
    driver.fingerDown(5, Vec2(500, 500)); // takes the freed id
    driver.fingerUp(77, Vec2(620, 300));
    ASSERT_EQ(touches.size(), 7u);
    expectTouch(1, "began", 1, Vec2(200, 300));
    expectTouch(2, "began", 2, Vec2(600, 300));
    expectTouch(3, "moved", 1, Vec2(180, 300));
    expectTouch(4, "ended", 1, Vec2(180, 300));
    expectTouch(5, "began", 1, Vec2(500, 500));
    expectTouch(6, "ended", 2, Vec2(620, 300));
    EXPECT_EQ(driver.getView()->getInputTranslator().getActiveTouchCount(), 2u);
    // Gestures tell a finger from the mouse by the touch itself.
    EXPECT_FALSE(touches[0].finger);
    for (std::size_t i = 1; i < touches.size(); ++i) {
        EXPECT_TRUE(touches[i].finger) << i;
    }
    // A pen that comes as the mouse, as the browser says, is a finger too.
    driver.touchEnded(Vec2(10, 10));
    driver.getView()->getInputTranslator().setMouseIsPen(true);
    driver.touchBegan(Vec2(20, 20));
    ASSERT_EQ(touches.size(), 9u);
    EXPECT_TRUE(touches[8].finger);
}

TEST_F(PlatformInputTest, MouseEventsSynthesisedFromFingersAreIgnored) {
    // A finger as SDL reports it: its own events, each followed by the mouse
    // event SDL makes up from it. Only the finger counts, once.
    driver.fingerDown(4, Vec2(100, 100));
    driver.mouseFromFinger(SDL_MOUSEBUTTONDOWN, Vec2(100, 100));
    driver.fingerMoved(4, Vec2(140, 120));
    driver.mouseFromFinger(SDL_MOUSEMOTION, Vec2(140, 120));
    driver.mouseFromFinger(SDL_MOUSEWHEEL, Vec2(140, 120));
    driver.fingerUp(4, Vec2(140, 120));
    driver.mouseFromFinger(SDL_MOUSEBUTTONUP, Vec2(140, 120));
    ASSERT_EQ(touches.size(), 3u);
    expectTouch(0, "began", 1, Vec2(100, 100));
    expectTouch(1, "moved", 1, Vec2(140, 120));
    expectTouch(2, "ended", 1, Vec2(140, 120));
    EXPECT_TRUE(mice.empty());
    EXPECT_EQ(driver.getView()->getInputTranslator().getActiveTouchCount(), 0u);
}

TEST_F(PlatformInputTest, LosingFocusCancelsHeldTouchesAndOnlyAnUnseenWindowIsInTheBackground) {
    std::vector<bool> changes;
    driver.getView()->setBackgroundCallback([&](bool background) { changes.push_back(background); });
    driver.touchBegan(Vec2(100, 100));
    driver.fingerDown(3, Vec2(200, 200));
    driver.windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_EQ(touches.size(), 4u);
    EXPECT_EQ(touches[2].phase, "cancelled");
    EXPECT_EQ(touches[3].phase, "cancelled");
    // The late release of the button belongs to no touch any more.
    driver.touchEnded(Vec2(100, 100));
    driver.fingerUp(3, Vec2(200, 200));
    EXPECT_EQ(touches.size(), 4u);
    EXPECT_TRUE(changes.empty()); // another window in front: still the foreground

    const std::pair<SDL_WindowEventID, std::vector<bool>> steps[] = {
        {SDL_WINDOWEVENT_MINIMIZED, {true}},
        {SDL_WINDOWEVENT_FOCUS_GAINED, {true}},
        {SDL_WINDOWEVENT_RESTORED, {true, false}},
        {SDL_WINDOWEVENT_HIDDEN, {true, false, true}},
        {SDL_WINDOWEVENT_SHOWN, {true, false, true, false}},
    };
    for (const auto& [event, expected] : steps) {
        driver.windowEvent(event);
        EXPECT_EQ(changes, expected) << static_cast<int>(event);
    }
}

TEST_F(PlatformInputTest, ClosingTheWindowAsksTheLoopToEnd) {
    EXPECT_FALSE(driver.getView()->windowShouldClose());
    driver.windowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_TRUE(driver.getView()->windowShouldClose());
}

TEST_F(PlatformInputTest, TransitionBlocksInputAndHandsOverAfterHalfASecond) {
    Scene* next = Scene::create();
    Director* director = Director::getInstance();
    director->replaceScene(TransitionSlideInB::create(0.5f, next));
    driver.step();
    EXPECT_NE(director->getRunningScene(), next);
    EXPECT_FALSE(director->getEventDispatcher()->isEnabled());
    EXPECT_TRUE(next->isRunning());
    EXPECT_LT(next->getPositionY(), 0);

    driver.touchBegan(Vec2(500, 500));
    driver.touchEnded(Vec2(500, 500));
    EXPECT_TRUE(touches.empty());

    driver.advance(0.25f);
    EXPECT_GT(next->getPositionY(), -768);
    EXPECT_LT(next->getPositionY(), 0);
    EXPECT_NEAR(scene->getPositionY() - next->getPositionY(), 767.5f, 1e-2f);

    driver.advance(0.3f);
    driver.step();
    EXPECT_EQ(director->getRunningScene(), next);
    EXPECT_EQ(next->getPosition(), Vec2::ZERO);
    EXPECT_TRUE(director->getEventDispatcher()->isEnabled());
}

TEST_F(PlatformInputTest, SlideFromTheTopDrawsTheNewSceneBelowTheOld) {
    Scene* next = Scene::create();
    next->addChild(LayerColor::create(Color4B(255, 0, 0, 255)));
    scene->addChild(LayerColor::create(Color4B(0, 255, 0, 255)));
    Director::getInstance()->replaceScene(TransitionSlideInT::create(0.5f, next));
    driver.step();
    driver.advance(0.1f);
    EXPECT_GT(next->getPositionY(), 0);
    // Old scene (green) moved down; the new one (red) enters from above.
    const float boundary = next->getPositionY();
    const Color4B above = driver.pixelAt(Vec2(512, boundary + 20));
    const Color4B below = driver.pixelAt(Vec2(512, boundary - 20));
    EXPECT_EQ(above.r, 255);
    EXPECT_EQ(below.g, 255);
    driver.advance(0.6f);
    EXPECT_EQ(Director::getInstance()->getRunningScene(), next);
}

class LetterboxedInputTest : public PlatformInputTest {
protected:
    LetterboxedInputTest() : PlatformInputTest(Size(1600, 800)) {}
};

TEST_F(LetterboxedInputTest, WindowPixelsMapToDesignUnitsAndBarsTakeNoTouches) {
    const float scale = 800.0f / 768;
    const float offsetX = (1600 - 1024 * scale) / 2;
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = static_cast<int>(offsetX + 512 * scale);
    event.button.y = 200; // window y grows downwards
    driver.getView()->handleEvent(event);
    ASSERT_EQ(touches.size(), 1u);
    EXPECT_NEAR(touches[0].location.x, 512, 1.0f);
    EXPECT_NEAR(touches[0].location.y, 768 - 200 / scale, 1.0f);
    event.type = SDL_MOUSEBUTTONUP;
    driver.getView()->handleEvent(event);

    // A press in the left bar is no touch, but still a mouse event.
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.x = 20;
    driver.getView()->handleEvent(event);
    EXPECT_EQ(touches.size(), 2u);
    EXPECT_EQ(mice.size(), 3u);
    EXPECT_LT(mice.back().getCursorX(), 0);
}

} // namespace
