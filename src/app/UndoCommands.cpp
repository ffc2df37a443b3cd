// The window's undo and redo: the history's steps written back as changes.
#include <QAction>
#include <set>
#include <string>

#include "app/ArchiveSession.h"
#include "app/EditCommands.h"
#include "app/UndoHistory.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"

using namespace korvane;

void TEditCommands::Undo() { UndoOrRedo(true); }
void TEditCommands::Redo() { UndoOrRedo(false); }

// An undo is a change like the others: under the lock, journaled, and only
// over what this window wrote. Refused, the history goes: no step of it can
// be taken back any more without touching another program's change.
void TEditCommands::UndoOrRedo(bool undo)
{
    TUndoHistory& history = ctx_.Session.History();
    if (undo ? !history.CanUndo() : !history.CanRedo()) return;
    const TUndoStep& step = undo ? history.NextUndo() : history.NextRedo();
    const std::set<std::string> names = step.Names;
    try {
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        ops::ApplyImage(ctx_.Session.Locked(), step.Image, undo);
    } catch (const ops::EArchiveChanged&) {
        history.Clear();
        throw;
    }
    undo ? history.Undone() : history.Redone();
    ctx_.Reload(names);
    ctx_.Session.MarkChanged();
    selectionHandler_();
}

void TEditCommands::UpdateUndoItems()
{
    const TUndoHistory& history = ctx_.Session.History();
    const bool editable = ctx_.Session.Editable();
    UndoItem->setEnabled(editable && history.CanUndo());
    RedoItem->setEnabled(editable && history.CanRedo());
    UndoItem->setText(history.CanUndo() ? tr("Отменить: %1").arg(history.NextUndo().What) : tr("Отменить"));
    RedoItem->setText(history.CanRedo() ? tr("Повторить: %1").arg(history.NextRedo().What) : tr("Повторить"));
    // Said where the history ends early: the oldest steps went to stay within its memory.
    UndoItem->setStatusTip(history.Forgot() ? tr("Ранние изменения забыты: история отмены ограничена 64 МБ") : QString());
}
