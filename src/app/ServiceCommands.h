// The "Сервис" menu, created hidden as in the program Korvane follows:
// repacking the archive, checking its names, and the file manager's verb.
#pragma once

#include <QCoreApplication>
#include <functional>

#include "app/CommandContext.h"

class QAction;
class QMenu;
class QMenuBar;
class TSearchCommands;
namespace korvane {
struct TArchiveLocation;
}

class TServiceCommands {
    Q_DECLARE_TR_FUNCTIONS(TServiceCommands)
public:
    // Opens an archive already located into the window, as loading does.
    using TReopen = std::function<void(const korvane::TArchiveLocation&)>;
    // Adds the hidden "Сервис" menu to the bar. The check shows every row
    // first, through the search commands' filter; a repacked archive is
    // read back through `reopen`.
    TServiceCommands(const TCommandContext& context, QMenuBar* bar, TSearchCommands& search, TReopen reopen);

    // "Перепаковать архив": rewrites the archive without unused space, then opens it again.
    void Repack();
    // "Проверить архив": the name check; the offending entries' rows are selected.
    void Check();
    // "Интеграция в контекстное меню Проводника": the file manager's "Открыть в Korvane" verb, added or removed.
    void ShellIntegration();
    // Enables the group's items from the session.
    void EnableActions();

    QMenu* ServiceMenu;
    QAction *RepackItem, *CheckItem, *ShellIntegrationItem;

private:
    TCommandContext ctx_;
    TSearchCommands& search_;
    TReopen reopen_;
};
