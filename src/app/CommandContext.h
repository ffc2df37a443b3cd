// What the window hands each of its command groups: the open archive, the
// list whose selection the commands act on, its rows (the row order the
// window owns, and the model over it) which they keep in step,
// the user's answers, and the things only the window does (showing a
// failure in the standard error box, the status bar's text, waiting for the
// archive's lock).
#pragma once

#include <QString>
#include <functional>
#include <set>
#include <string>

#include "archive/ArchiveLock.h"

class QWidget;
class Prompts;
namespace korvane {
struct TRowOrder;
}
class TArchiveSession;
class TEntryListModel;
class TEntryListView;

struct TCommandContext {
    TArchiveSession& Session;
    TEntryListView& List;
    korvane::TRowOrder& Order;
    TEntryListModel& Model;
    Prompts& Ask;
    QWidget* Owner;  // the dialogs' parent
    // Runs a command, showing any failure in the standard error box.
    std::function<void(const std::function<void()>&)> Guard;
    // Puts the text into the status bar; `now` paints it before returning,
    // for a command about to keep the window busy.
    std::function<void(const QString& text, bool now)> Status;
    // The archive's exclusive lock for a change, held by the result: taken
    // (waiting with a busy cursor) only when the directory on disk is the one
    // the session read; otherwise ops::EArchiveChanged, which the Guard
    // answers by reloading the list. Taken after the user's answers, before
    // anything is written.
    std::function<korvane::TArchiveLock()> LockForChange;
    // Reads the open archive's directory again into the list, selecting the
    // rows of the entries with these (raw) names.
    std::function<void(const std::set<std::string>& names)> Reload;
};
