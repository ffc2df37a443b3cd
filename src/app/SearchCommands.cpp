#include "app/SearchCommands.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "app/ArchiveSession.h"
#include "app/FindDialog.h"
#include "app/Prompts.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "listview/RowSearch.h"
#include "listview/SearchMask.h"

using namespace korvane;

namespace {

TSearchMask DialogMask(const TFindDialog& dialog)
{
    return BuildSearchMask(dialog.FindText().toStdString(), dialog.WholeWord(), dialog.MatchCase());
}

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TSearchCommands::TSearchCommands(const TCommandContext& context, QMenuBar* bar) : ctx_(context)
{
    SearchMenu = bar->addMenu(tr("Поиск"));
    SearchMenu->setObjectName(QStringLiteral("N5"));
    FindItem = AddAction(SearchMenu, "N6", tr("Найти..."));
    FindNextItem = AddAction(SearchMenu, "N7", tr("Найти далее"));
    FindNextItem->setShortcut(QKeySequence(Qt::Key_F3));
    FindAllItem = AddAction(SearchMenu, "N15", tr("Найти все"));
    ShowResultsItem = AddAction(SearchMenu, "N32", tr("Показать результаты"));
    ShowResultsItem->setCheckable(true);
    FindDialog = new TFindDialog(ctx_.Owner);

    auto wire = [this](QAction* action, void (TSearchCommands::*command)()) {
        QObject::connect(action, &QAction::triggered, action,
                         [this, command] { ctx_.Guard([this, command] { (this->*command)(); }); });
    };
    wire(FindItem, &TSearchCommands::Present);
    wire(FindNextItem, &TSearchCommands::FindNext);
    wire(FindAllItem, &TSearchCommands::FindAll);
    wire(ShowResultsItem, &TSearchCommands::Filter);
    QObject::connect(FindDialog, &TFindDialog::Find, FindDialog, [this] { ctx_.Guard([this] { FindNext(); }); });
    QObject::connect(&ctx_.Session, &TArchiveSession::Loaded, FindDialog, [this] { Reset(); });
    // F3 goes on finding while the find dialog is the active window.
    FindDialog->addAction(FindNextItem);
}

void TSearchCommands::Reset()
{
    offered_ = false;
    ShowResultsItem->setChecked(false);
    FindDialog->SetFindText(QString());
}

void TSearchCommands::EnableActions()
{
    SearchMenu->menuAction()->setEnabled(ctx_.Session.Opened());
    for (QAction* a : {FindNextItem, FindAllItem, ShowResultsItem}) a->setEnabled(offered_);
}

void TSearchCommands::Present()
{
    offered_ = true;
    EnableActions();
    FindDialog->Present();
}

void TSearchCommands::FindNext()
{
    TEntryListView* list = &ctx_.List;
    const TNameMatcher matcher(DialogMask(*FindDialog));
    const int selected = list->SelectedRow();
    const uint32_t from = selected < 0 ? 0 : uint32_t(selected) + 1;
    const int64_t h = FindNextRow(ctx_.Session.Cat(), ctx_.Order, ctx_.Model.Rows(), from, matcher);
    if (h < 0) {
        ctx_.Ask.Message(ctx_.Owner, tr("Данная строка не найдена."), QStringLiteral("Korvane"),
                         QMessageBox::NoIcon);
        return;
    }
    // Only the row the search started from loses its selection.
    list->MoveSelection(selected, int(h));
    list->ScrollRowToTop(list->SelectedRow());
}

void TSearchCommands::FindAll()
{
    TEntryListView* list = &ctx_.List;
    const TNameMatcher matcher(DialogMask(*FindDialog));
    list->clearSelection();
    const std::vector<uint32_t> rows = FindAllRows(ctx_.Session.Cat(), ctx_.Order, ctx_.Model.Rows(), matcher);
    if (rows.empty()) {
        ctx_.Ask.Message(ctx_.Owner, tr("Данная строка не найдена."), QStringLiteral("Korvane"),
                         QMessageBox::NoIcon);
        return;
    }
    // The matches become selected together, so the selection handler runs
    // once, for the first of them.
    list->SetCurrentRow(int(rows.front()));
    list->SelectRuns(rows);
    list->ScrollRowToTop(int(rows.front()));
}

void TSearchCommands::Filter()
{
    ctx_.Status(tr("Подождите..."), true);

    TEntryListView* list = &ctx_.List;
    list->setUpdatesEnabled(false);
    ctx_.Model.SetRows(0);
    list->SetContextMenu(nullptr);  // no row is selected any more
    try {
        uint32_t rows;
        if (ShowResultsItem->isChecked()) {
            const TNameMatcher matcher(DialogMask(*FindDialog));
            rows = FilterRows(ctx_.Session.Cat(), ctx_.Order, matcher);
        } else {
            rows = ShowAllRows(ctx_.Session.Cat(), ctx_.Order);
        }
        ctx_.Model.SetRows(rows);
    } catch (...) {
        // A malformed mask leaves the list empty and the waiting text shown.
        list->setUpdatesEnabled(true);
        throw;
    }
    list->setUpdatesEnabled(true);
    ctx_.Status(tr("Отсеивание завершено"), false);
}

void TSearchCommands::SwitchFilterOff()
{
    // Exactly what unchecking "Показать результаты" does.
    ShowResultsItem->setChecked(false);
    Filter();
}
