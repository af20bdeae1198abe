#include "field/EditHistory.h"

#include <gtest/gtest.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>
#include <vector>

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

// Programs as lists of letters, one element each.
EditHistory::Program letters(const std::string& text) {
    EditHistory::Program elements;
    for (const char c : text) {
        elements.emplace_back(std::string(1, c));
    }
    return elements;
}

// Catches a step that keeps the wrong stretch: off by one at either end, a
// shared front or back counted twice when the programs overlap, or a grown
// or shrunk program put back at the wrong length.
TEST(EditHistoryTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    const char* const edits[][2] = {
        {"abcdef", "abXdef"},  {"abcdef", "Xabcdef"}, {"abcdef", "abcdefX"}, {"abcdef", "bcdef"},
        {"abcdef", "abcde"},   {"abcdef", "XYZ"},     {"abcdef", ""},        {"", "abc"},
        {"aaaa", "aaaaaa"},    {"abab", "ab"},        {"abcabc", "abc"},     {"abcdef", "fedcba"},
        {"abcdef", "abXYdef"}, {"abcdef", "adef"},
    };
    for (const auto& edit : edits) {
        SCOPED_TRACE(std::string(edit[0]) + " -> " + edit[1]);
        EditHistory history;
        history.reset(letters(edit[0]));
        ASSERT_TRUE(history.record(letters(edit[1])));
        ASSERT_TRUE(history.record(letters("z")));
        EXPECT_EQ(*history.undo(), letters(edit[1]));
        EXPECT_EQ(*history.undo(), letters(edit[0]));
        EXPECT_EQ(*history.redo(), letters(edit[1]));
        EXPECT_EQ(*history.redo(), letters("z"));
    }
}

#if defined(__GLIBC__)
// Catches steps that keep whole programs: with a file of 20,000 elements,
// each of 72 edits of one card would keep all 20,000 again (megabytes a step).
TEST(EditHistoryTest, StepsKeepOnlyWhatChangedInABigFile) {
    EditHistory::Program program;
    for (int i = 0; i < 20000; ++i) {
        program.emplace_back(engine::ValueMap{{"tab", engine::Value(0)},
                                              {"index", engine::Value(i % 7)},
                                              {"x", engine::Value(652)},
                                              {"y", engine::Value(i)}});
    }
    EditHistory history;
    history.reset(program);
    const EditHistory::Program original = program;
    const std::size_t before = mallinfo2().uordblks;
    for (int edit = 1; edit <= 72; ++edit) {
        program[static_cast<std::size_t>(edit)] = engine::Value(engine::ValueMap{{"x", engine::Value(edit)}});
        ASSERT_TRUE(history.record(program));
    }
    const std::size_t grown = mallinfo2().uordblks - before;
    EXPECT_LT(grown, std::size_t{1} << 20) << "bytes kept by 72 steps";
    while (history.undo()) {
    }
    EXPECT_EQ(history.current(), original);
}
#endif

} // namespace
