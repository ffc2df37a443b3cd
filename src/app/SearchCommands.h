// The search commands of the "Поиск" menu: the find dialog, find next, find
// all and the results filter.
#pragma once

#include <QCoreApplication>
#include "app/CommandContext.h"

class QAction;
class QMenu;
class QMenuBar;
class TFindDialog;

class TSearchCommands {
    Q_DECLARE_TR_FUNCTIONS(TSearchCommands)
public:
    // Adds the "Поиск" menu to the bar and makes the find dialog. Each
    // archive the session opens starts afresh (Reset).
    TSearchCommands(const TCommandContext& context, QMenuBar* bar);

    void Present();    // "Найти...": shows the find dialog
    void FindNext();   // "Найти далее" and the dialog's button: the next matching row
    void FindAll();    // "Найти все": every matching row selected
    void Filter();     // "Показать результаты": only the matching rows shown, or all again
    // Shows every entry again in catalogue order, as unchecking "Показать результаты" does.
    void SwitchFilterOff();
    // A new archive: no filter, no search text, find next and the others
    // offered only once the dialog has been opened again.
    void Reset();
    // The find dialog has been opened since the archive was.
    bool Offered() const { return offered_; }
    // Enables the group's items from the session and Offered.
    void EnableActions();

    QMenu* SearchMenu;
    QAction *FindItem, *FindNextItem, *FindAllItem, *ShowResultsItem;
    TFindDialog* FindDialog;

private:
    TCommandContext ctx_;
    bool offered_ = false;
};
