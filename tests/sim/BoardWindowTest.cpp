// The board's window: where it opens beside the editor, and that it draws
// again when the system asks (uncovered, moved), on SDL's dummy video driver.

#include "sim/window/BoardWindow.h"

#include "sim/BoardChange.h"
#include "sim/BoardClock.h"
#include "sim/BoardOutputs.h"
#include "sim/window/WindowPlacement.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace pavlune;
using Rect = WindowPlacement::Rect;

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(WindowPlacementTest, TheBoardNeverCoversTheEditorWhereTheScreenHasRoom) {
    const Rect screen{0, 0, 2560, 1440};
    struct Case {
        const char* what;
        Rect editor;
        Rect screen;
        Rect expected;
    };
    const std::vector<Case> cases{
        {"room on the left", {1500, 50, 1024, 768}, screen, {532, 50, 960, 600}},
        {"only room on the right", {100, 900, 1024, 500}, screen, {1132, 840, 960, 600}},
        {"only room below", {0, 0, 2000, 768}, {0, 0, 2000, 1440}, {0, 776, 960, 600}},
        {"only room above", {500, 700, 1500, 700}, {0, 0, 2000, 1400}, {500, 92, 960, 600}},
        {"a second screen to the right of the first",
         {2600, 0, 1024, 768},
         {2560, 0, 2560, 1440},
         {3632, 0, 960, 600}},
        {"editor in the middle of a narrow screen: the palette's side, least covered",
         {688, 166, 1024, 768},
         {0, 0, 2400, 1100},
         {0, 166, 960, 600}},
        {"editor filling the screen: kept on the screen",
         {0, 0, 1280, 1024},
         {0, 0, 1280, 1024},
         {0, 0, 960, 600}},
    };
    for (const Case& c : cases) {
        const Rect placed = WindowPlacement::beside(c.editor, c.screen, 960, 600);
        EXPECT_EQ(placed, c.expected) << c.what;
        // Room on some side of the editor for the window and the gap.
        const int left = c.editor.x - c.screen.x;
        const int right = c.screen.x + c.screen.width - c.editor.x - c.editor.width;
        const int above = c.editor.y - c.screen.y;
        const int below = c.screen.y + c.screen.height - c.editor.y - c.editor.height;
        const bool room = std::max(left, right) >= 968 || std::max(above, below) >= 608;
        if (room) {
            EXPECT_FALSE(overlaps(placed, c.editor)) << c.what;
        }
    }
}

TEST(WindowPlacementTest, ParsesWhatTheEditorPasses) {
    EXPECT_EQ(WindowPlacement::parse("10,-20,1024,768"), (Rect{10, -20, 1024, 768}));
    for (const char* bad : {"", "1,2,3", "1,2,3,4x", "1,2,0,4", "a,b,c,d"}) {
        EXPECT_FALSE(WindowPlacement::parse(bad).has_value()) << bad;
    }
}

class SteppedClock : public BoardClock {
public:
    TimePoint now() const override { return now_; }
    TimePoint now_{};
};

class Quiet : public BoardObserver {
public:
    void boardChanged(const BoardChange&) override {}
    void boardComplained(const std::string&) override {}
};

TEST(BoardWindowTest, DrawsAgainWhenUncoveredAndOnlyThen) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SteppedClock clock;
    Quiet observer;
    BoardOutputs outputs(clock, observer);
    BoardWindow window(outputs, "");
    ASSERT_TRUE(window.open(Rect{0, 0, 1024, 768}));
    const auto spare = std::chrono::hours(1);
    ASSERT_TRUE(window.frame(clock.now(), spare));
    EXPECT_EQ(window.drawnFrames(), 1);
    clock.now_ += std::chrono::milliseconds(16);
    ASSERT_TRUE(window.frame(clock.now(), spare));
    EXPECT_EQ(window.drawnFrames(), 1) << "nothing changed: nothing drawn";

    for (const Uint8 kind : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_MOVED}) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        event.window.windowID = SDL_GetWindowID(window.window());
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        const int before = window.drawnFrames();
        clock.now_ += std::chrono::milliseconds(16);
        ASSERT_TRUE(window.frame(clock.now(), spare));
        EXPECT_EQ(window.drawnFrames(), before + 1) << "window event " << int(kind);
    }
}

} // namespace
