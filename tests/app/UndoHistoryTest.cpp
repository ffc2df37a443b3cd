// The window's undo history: a new change ends the redo steps; past the
// memory limit the oldest steps go (the newest always stays) and it says so.
#include <gtest/gtest.h>

#include "app/UndoHistory.h"

namespace {

TUndoStep Step(const char* what, size_t bytes)
{
    TUndoStep s;
    s.What = QString::fromUtf8(what);
    s.Image.Ranges.push_back({0, std::string(bytes, 'b'), {}});
    return s;
}

}  // namespace

TEST(UndoHistory, ANewChangeEndsRedoAndTheOldestGoPastTheLimit)
{
    TUndoHistory h;
    h.Push(Step("a", 10));
    h.Push(Step("b", 10));
    h.Undone();
    ASSERT_TRUE(h.CanRedo());
    EXPECT_EQ(h.NextRedo().What, "b");
    h.Push(Step("c", 10));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.NextUndo().What, "c");

    // 10 + 10 bytes kept; a step that takes the total one past the limit
    // pushes "a" out, one that reaches it exactly does not.
    h.Push(Step("d", TUndoHistory::kLimit - 20));
    EXPECT_FALSE(h.Forgot());
    h.Push(Step("e", 1));
    EXPECT_TRUE(h.Forgot());
    h.Undone(), h.Undone(), h.Undone();
    EXPECT_EQ(h.NextRedo().What, "c");
    EXPECT_FALSE(h.CanUndo());  // "a" is gone

    TUndoHistory one;
    one.Push(Step("huge", TUndoHistory::kLimit + 1));
    EXPECT_TRUE(one.CanUndo());  // the newest stays, alone
    one.Clear();
    EXPECT_FALSE(one.CanUndo() || one.CanRedo() || one.Forgot());
}
