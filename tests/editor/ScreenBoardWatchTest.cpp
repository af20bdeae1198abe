// The simulator's own process, as the editor hears it: its line reports come
// through a pipe (standing in for the simulator's standard output) while
// the real editor screen runs headless, and the field lights the row of the
// card being run, only for the program this editor sent.
#include "editor/link/ScreenBoardWatch.h"

#include "catalogue/CatalogueView.h"
#include "device/PavluneCardSerialManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/ScreenBoard.h"
#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>
#include <utility>

using engine::Color4B;
using engine::Vec2;

namespace {

// The light's colour, and where it shows for row r: right of the slot
// (230 units wide, centred on the card's x), inside the light's 14-unit margin.
const Color4B kLit(255, 214, 0, 255);
Vec2 lightSpot(int row) {
    return {kRowCardX + 115 + 7, rowScreenY(row)};
}

class ScreenBoardWatchTest : public ProgramEditorTest {
protected:
    void SetUp() override {
        ProgramEditorTest::SetUp();
        auto script = std::make_shared<pavlune::FakeSerialBackend::Script>();
        setup = LinkSetup{
            std::shared_ptr<pavlune::PavluneCardSerialManager>(
                new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::FakeSerialBackend>(script)),
                [](auto* m) { m->release(); }),
            [] { return std::make_unique<pavlune::VirtualTransferClock>(); }};
        LinkSetup::install(&setup);
        // Counts what is posted to the main thread: one post for each line read.
        engine::Director::getInstance()->getScheduler()->setWakeUpHandler([this] {
            std::lock_guard lock(mutex);
            ++posts;
            posted.notify_all();
        });
        ASSERT_EQ(pipe2(pipe, O_CLOEXEC), 0);
        ScreenBoard::get().listen(pipe[0]);

        // LED 1, WAIT, LED 0, WAIT on rows 0 to 3: jam lines 10, 20, 30, 40.
        openProgram({rowCardElement(0, 0, 0, "", 1), rowCardElement(0, 2, 1, "", 2),
                     rowCardElement(0, 1, 2, "", 3), rowCardElement(0, 2, 3, "", 4)});
        editor->getSession().rooms().link->waitForWorkers();
        driver->step();
    }
    void TearDown() override {
        ScreenBoard::get().listen(-1);
        close(pipe[1]);
        close(pipe[0]);
        if (editor) {
            editor->getSession().rooms().link->waitForWorkers();
        }
        LinkSetup::install(nullptr);
        ProgramEditorTest::TearDown();
    }

    // What play does as it sends the field's program to the simulator.
    void send() {
        ScreenBoard::get().expectProgram(pavlune::CatalogueView(pavlune::jam, pavlune::basic),
                                         editor->getSession().rooms().board->fieldRows());
    }
    // The simulator says `text`; the frame after its lines have been read.
    void say(const std::string& text) {
        afterPosts(static_cast<int>(std::count(text.begin(), text.end(), '\n')), [&] {
            ASSERT_EQ(write(pipe[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
        });
    }
    // The simulator quits; the frame after its end has been read.
    void quit() {
        afterPosts(1, [this] { close(std::exchange(pipe[1], -1)); });
    }
    // Runs `act`, waits until the reader has posted `count` more times, and runs a frame.
    void afterPosts(int count, const std::function<void()>& act) {
        std::unique_lock lock(mutex);
        const int expected = posts + count;
        lock.unlock();
        act();
        lock.lock();
        // A bound on another thread's reading, not a timing: it takes microseconds.
        ASSERT_TRUE(posted.wait_for(lock, std::chrono::seconds(5), [&] { return posts >= expected; }));
        lock.unlock();
        driver->step();
    }
    // The rows lit on the screen, of the four.
    std::vector<int> litRows() const {
        std::vector<int> rows;
        for (int row = 0; row < 4; ++row) {
            if (driver->pixelAt(lightSpot(row)) == kLit) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    LinkSetup setup;
    int pipe[2] = {-1, -1};
    std::mutex mutex;
    std::condition_variable posted;
    int posts = 0;
};

using Rows = std::vector<int>;

// Catches a line mapped to the row after (or before) its card, a light left
// on after the program ends, and a report split across two reads taken as two.
TEST_F(ScreenBoardWatchTest, TheRowOfTheReportedLineIsLitUntilTheProgramEnds) {
    ASSERT_TRUE(editor->getSession().rooms().screenBoardWatch);
    send();
    say("line 1 20\n");
    EXPECT_EQ(litRows(), Rows{1});
    say("line 1 4");
    say("0\n");
    EXPECT_EQ(litRows(), Rows{3});
    say("line 1 -\n");
    EXPECT_EQ(litRows(), Rows{});
}

// Catches lines lit from a program this editor did not send: one running
// before the send, one that replaced the sent one, and one still running
// when this editor was opened; and a light left on when the simulator quits.
TEST_F(ScreenBoardWatchTest, OnlyTheProgramSentFromThisEditorIsLit) {
    say("line 1 20\n");
    EXPECT_EQ(litRows(), Rows{}) << "before any send";
    send();
    say("line 1 40\n");
    EXPECT_EQ(litRows(), Rows{}) << "the program that ran before the send";
    say("line 2 20\n");
    EXPECT_EQ(litRows(), Rows{1});
    say("line 3 40\n");
    EXPECT_EQ(litRows(), Rows{}) << "a program that replaced the one sent";

    send();
    say("line 4 20\n");
    EXPECT_EQ(litRows(), Rows{1});
    // Another editor opened over the same field view: the program running was not its.
    const ScreenBoardWatch other(ScreenBoard::get(), editor->getSession().rooms().fieldView,
                                 *editor->getSession().rooms().board);
    say("line 4 40\n");
    EXPECT_EQ(other.light().shown(), std::nullopt);

    send();
    say("line 5 20\n");
    EXPECT_EQ(other.light().shown(), 1);
    quit();
    EXPECT_EQ(other.light().shown(), std::nullopt);
}

} // namespace
