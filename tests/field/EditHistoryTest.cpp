#include "field/EditHistory.h"

#include <gtest/gtest.h>

namespace {

using pavlune::EditHistory;

// A program told apart by one number.
EditHistory::Program program(int n) {
    return {engine::Value(n)};
}

int numberOf(const EditHistory::Program* p) {
    return p && !p->empty() ? p->front().asInt() : -1;
}

// Catches a limit that drops the newest steps instead of the oldest, or none.
TEST(EditHistoryTest, BeyondTheLimitTheOldestStepsGo) {
    EditHistory history(3);
    history.reset(program(0));
    for (int n = 1; n <= 5; ++n) {
        ASSERT_TRUE(history.record(program(n)));
    }
    EXPECT_EQ(history.undoSteps(), 3u);
    EXPECT_EQ(numberOf(history.undo()), 4);
    EXPECT_EQ(numberOf(history.undo()), 3);
    EXPECT_EQ(numberOf(history.undo()), 2);
    EXPECT_EQ(history.undo(), nullptr);
    EXPECT_EQ(numberOf(&history.current()), 2);
}

// Catches redo steps kept after a new edit (redo would bring back a program
// that no longer follows from the one shown), and redo in the wrong order.
TEST(EditHistoryTest, ANewEditAfterUndoDropsRedo) {
    EditHistory history;
    history.reset(program(0));
    history.record(program(1));
    history.record(program(2));
    history.undo();
    history.undo();
    EXPECT_EQ(numberOf(history.redo()), 1);
    ASSERT_TRUE(history.canRedo());
    history.record(program(7));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.redo(), nullptr);
    EXPECT_EQ(numberOf(history.undo()), 1);
    EXPECT_EQ(numberOf(history.undo()), 0);
}

// Catches a step for a save that changed nothing (a tap, a dialect switch),
// which would make undo seem to do nothing, and a kept redo after it.
TEST(EditHistoryTest, ASaveThatChangesNothingIsNoStepAndKeepsRedo) {
    EditHistory history;
    history.reset(program(0));
    history.record(program(1));
    history.undo();
    EXPECT_FALSE(history.record(program(0)));
    EXPECT_FALSE(history.canUndo());
    EXPECT_TRUE(history.canRedo());
}

} // namespace
