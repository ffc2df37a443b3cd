// The window's undo and redo: the changes it made to the open archive, each
// with the image that takes it back (see TChangeImage), back to when the
// archive was opened or as far as the memory limit reaches.
#pragma once

#include <QString>
#include <set>
#include <string>
#include <vector>

#include "archive/ArchiveChange.h"

struct TUndoStep {
    QString What;                  // "удаление 2 записей", for the menu
    korvane::TChangeImage Image;
    std::set<std::string> Names;   // the entries it concerned (raw names), selected after it
};

class TUndoHistory {
public:
    // The images kept in all; past it the oldest steps are forgotten.
    static constexpr size_t kLimit = size_t(64) << 20;

    // A change made: the steps undone before it can no longer be redone.
    void Push(TUndoStep step);
    bool CanUndo() const { return !done_.empty(); }
    bool CanRedo() const { return !undone_.empty(); }
    const TUndoStep& NextUndo() const { return done_.back(); }
    const TUndoStep& NextRedo() const { return undone_.back(); }
    void Undone();
    void Redone();
    void Clear();
    // Steps were forgotten to stay within kLimit.
    bool Forgot() const { return forgot_; }

private:
    std::vector<TUndoStep> done_, undone_;  // the next to undo (redo) last
    size_t bytes_ = 0;
    bool forgot_ = false;
};
