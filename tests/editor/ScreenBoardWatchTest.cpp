// The simulator's own process, as the editor hears it: its line reports come
// through a pipe (standing in for the simulator's standard output) while
// the real editor screen runs headless, and the field lights the row of the
// card being run, only for the program this editor sent.
#include "editor/link/ScreenBoardWatch.h"

#include "catalogue/CatalogueView.h"
#include "editor/EditorSession.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/link/BoardLink.h"
#include "editor/link/ScreenBoard.h"
#include "engine/2d/Director.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace {

class ScreenBoardWatchTest : public ProgramEditorTest {
protected:
    void SetUp() override {
        ProgramEditorTest::SetUp();
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
        editor->getSession().rooms().link->waitForWorkers();
        ProgramEditorTest::TearDown();
    }

    // What play does as it sends the field's program to the simulator.
    void send() {
        ScreenBoard::get().expectProgram(pavlune::CatalogueView(pavlune::jam, pavlune::basic),
                                         editor->getSession().rooms().board->fieldRows());
    }
    // The simulator says `text` (null: it quits); the frame after that has been read.
    void say(const char* text) {
        const std::string said = text ? text : "";
        std::unique_lock lock(mutex);
        const int expected =
            posts + (text ? static_cast<int>(std::count(said.begin(), said.end(), '\n')) : 1);
        lock.unlock();
        if (text) {
            ASSERT_EQ(write(pipe[1], said.data(), said.size()), static_cast<ssize_t>(said.size()));
        } else {
            close(std::exchange(pipe[1], -1));
        }
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
            if (driver->pixelAt(rowLightSpot(row)) == kRowLit) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    int pipe[2] = {-1, -1};
    std::mutex mutex;
    std::condition_variable posted;
    int posts = 0;
};

// Each step: a send from this editor first or not, what the simulator says,
// and the rows lit once it has been read.
TEST_F(ScreenBoardWatchTest, OnlyTheProgramSentFromThisEditorLightsItsRunningRow) {
    struct Step {
        bool send;
        const char* says;
        std::vector<int> lit;
    };
    const Step steps[] = {
        {false, "line 1 20\n", {}},            // not sent from here
        {true, "line 1 40\n", {}},             // still the program from before the send
        {false, "line 2 20\n", {1}},           // the send's: line 20 is row 1's (not row 2's)
        {false, "line 2 -\n", {}},             // it ended
        {true, "line 3 4", {}},                // half a report is none
        {false, "0\n", {3}},                   // ... until its end arrives
        {false, "line 4 20\n", {}},            // another program replaced it
        {true, "line 5 40\nline 5 20\n", {1}}, // two reports in one read
    };
    for (const Step& step : steps) {
        if (step.send) {
            send();
        }
        say(step.says);
        EXPECT_EQ(litRows(), step.lit) << step.says;
    }
    // An editor opened while a program it did not send runs; then the simulator quits.
    const ScreenBoardWatch later(ScreenBoard::get(), editor->getSession().rooms().fieldView,
                                 *editor->getSession().rooms().board);
    say("line 5 40\n");
    EXPECT_EQ(later.light().shown(), std::nullopt);
    send();
    say("line 6 20\n");
    EXPECT_EQ(later.light().shown(), 1);
    say(nullptr);
    EXPECT_EQ(later.light().shown(), std::nullopt);
}

} // namespace
