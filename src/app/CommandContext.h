// What the window hands each of its command groups: the open archive, the
// list whose selection the commands act on, its rows (the row order the
// window owns, and the model over it) which they keep in step,
// the user's answers, and the two things only the window does (showing a
// failure in the standard error box, the status bar's text).
#pragma once

#include <QString>
#include <functional>

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
};
