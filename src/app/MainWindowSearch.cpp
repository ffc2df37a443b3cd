// The "Поиск" menu: find next, find all and the results filter.
#include <QAction>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

#include "app/FindDialog.h"
#include "app/MainWindow.h"
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

}  // namespace

void TForm1::WireSearch()
{
    connect(N6, &QAction::triggered, this, [this] { Guard([this] { N6Click(); }); });
    connect(N7, &QAction::triggered, this, [this] { Guard([this] { FindDialog1Find(); }); });
    connect(N15, &QAction::triggered, this, [this] { Guard([this] { N15Click(); }); });
    connect(N32, &QAction::triggered, this, [this] { Guard([this] { N32Click(); }); });
    connect(findDialog_, &TFindDialog::Find, this, [this] { Guard([this] { FindDialog1Find(); }); });
    // F3 goes on finding while the find dialog is the active window.
    findDialog_->addAction(N7);
}

void TForm1::N6Click()
{
    N7->setEnabled(true);
    N15->setEnabled(true);
    N32->setEnabled(true);
    findDialog_->Present();
}

void TForm1::ScrollRowToTop(int row)
{
    // Measured from the row's own position, so any row height brings it to the top.
    listView_->doItemsLayout();
    QScrollBar* bar = listView_->verticalScrollBar();
    bar->setValue(bar->value() + listView_->rowViewportPosition(row));
}

void TForm1::FindDialog1Find()
{
    const TNameMatcher matcher(DialogMask(*findDialog_));
    const int selected = SelectedRow();
    const uint32_t from = selected < 0 ? 0 : uint32_t(selected) + 1;
    const int64_t h = FindNextRow(cat_, model_->Rows(), from, matcher);
    if (h < 0) {
        prompts_.Message(this, QStringLiteral("Данная строка не найдена."), QStringLiteral("Korvane"),
                         QMessageBox::NoIcon);
        return;
    }
    // Only the row the search started from loses its selection. The new
    // selection is put together here and swapped in whole: changing a
    // selection of many separate ranges in place makes the selection model
    // compare them pairwise, which takes minutes after a large find all.
    QItemSelectionModel* selection = listView_->selectionModel();
    QItemSelection kept;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (selected < range.top() || selected > range.bottom()) {
            kept.append(range);
            continue;
        }
        if (range.top() < selected)
            kept.append(QItemSelectionRange(model_->index(range.top(), range.left()),
                                            model_->index(selected - 1, range.right())));
        if (selected < range.bottom())
            kept.append(QItemSelectionRange(model_->index(selected + 1, range.left()),
                                            model_->index(range.bottom(), range.right())));
    }
    kept.merge(QItemSelection(model_->index(int(h), 0), model_->index(int(h), 3)), QItemSelectionModel::Select);
    listView_->clearSelection();  // nothing becomes selected, so no selection handler
    selection->setCurrentIndex(model_->index(int(h), 0), QItemSelectionModel::NoUpdate);
    selection->select(kept, QItemSelectionModel::Select);
    ScrollRowToTop(SelectedRow());
}

void TForm1::N15Click()
{
    const TNameMatcher matcher(DialogMask(*findDialog_));
    listView_->clearSelection();
    const std::vector<uint32_t> rows = FindAllRows(cat_, model_->Rows(), matcher);
    if (rows.empty()) {
        prompts_.Message(this, QStringLiteral("Данная строка не найдена."), QStringLiteral("Korvane"),
                         QMessageBox::NoIcon);
        return;
    }
    // The matches become selected together, runs of neighbouring rows as one
    // range, so the selection handler runs once, for the first of them.
    QItemSelection matches;
    for (size_t k = 0; k < rows.size();) {
        size_t last = k;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
        matches.select(model_->index(int(rows[k]), 0), model_->index(int(rows[last]), 3));
        k = last + 1;
    }
    QItemSelectionModel* selection = listView_->selectionModel();
    selection->setCurrentIndex(model_->index(int(rows.front()), 0), QItemSelectionModel::NoUpdate);
    // The ranges span whole rows already; asking the model to widen them
    // would cost time quadratic in their number.
    selection->select(matches, QItemSelectionModel::Select);
    ScrollRowToTop(int(rows.front()));
}

void TForm1::N32Click()
{
    SetStatusText(QStringLiteral("Подождите..."));
    statusPanel_->repaint();

    listView_->setUpdatesEnabled(false);
    model_->SetRows(0);
    popupAttached_ = false;  // no row is selected any more
    try {
        uint32_t rows;
        if (N32->isChecked()) {
            const TNameMatcher matcher(DialogMask(*findDialog_));
            rows = FilterRows(cat_, matcher);
        } else {
            rows = ShowAllRows(cat_);
        }
        model_->SetRows(rows);
    } catch (...) {
        // A malformed mask leaves the list empty and the waiting text shown.
        listView_->setUpdatesEnabled(true);
        throw;
    }
    listView_->setUpdatesEnabled(true);
    SetStatusText(QStringLiteral("Отсеивание завершено"));
}
