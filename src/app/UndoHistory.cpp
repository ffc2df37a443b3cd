#include "app/UndoHistory.h"

#include <utility>

void TUndoHistory::Push(TUndoStep step)
{
    for (const TUndoStep& s : undone_) bytes_ -= s.Image.Bytes();
    undone_.clear();
    bytes_ += step.Image.Bytes();
    done_.push_back(std::move(step));
    // The oldest go first; the newest step stays even when it alone is larger.
    size_t drop = 0;
    while (bytes_ > kLimit && drop + 1 < done_.size()) bytes_ -= done_[drop++].Image.Bytes();
    if (drop > 0) {
        done_.erase(done_.begin(), done_.begin() + long(drop));
        forgot_ = true;
    }
}

void TUndoHistory::Undone()
{
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
}

void TUndoHistory::Redone()
{
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
}

void TUndoHistory::Clear()
{
    done_.clear();
    undone_.clear();
    bytes_ = 0;
    forgot_ = false;
}
