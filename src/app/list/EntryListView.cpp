#include "app/list/EntryListView.h"

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

TEntryListView::TEntryListView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("ListView1"));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setSortingEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setTabKeyNavigation(false);
    // Rows can be dragged out (onto a file manager), nothing dropped in.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);

    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(11);
    setFont(font);

    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(14);  // rows are 14 pixels high

    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (contextMenu_) contextMenu_->popup(viewport()->mapToGlobal(pos));
    });
}

void TEntryListView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTableView::selectionChanged(selected, deselected);
    if (selected.isEmpty()) return;
    if (clicking_) clickAnswered_ = true;
    emit RowsSelected();
}

void TEntryListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        clicking_ = true;
        clickAnswered_ = false;
    }
    QTableView::mousePressEvent(event);
}

void TEntryListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    // A press that selected a new row has had it shown already; the release
    // would read and decode the same preview a second time.
    const bool answered = clicking_ && clickAnswered_;
    clicking_ = false;
    clickAnswered_ = false;
    if (!answered) emit Clicked();
}

void TEntryListView::startDrag(Qt::DropActions)
{
    clicking_ = false;  // the press became a drag: its release goes to the drop target
    emit DragStarted();
}

int TEntryListView::SelectedRow() const
{
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first) first = range.top();
    return first;
}

std::vector<int> TEntryListView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int count = model()->rowCount();
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int r) { return r < 0 || r >= count; }), rows.end());
    return rows;
}

void TEntryListView::SelectRowQuietly(int row)
{
    QItemSelectionModel* selection = selectionModel();
    const QSignalBlocker quiet(selection);
    selection->select(model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TEntryListView::SelectRows(const std::vector<int>& rows)
{
    QItemSelection ranges;
    const int last = model()->columnCount() - 1;
    for (int r : rows) ranges.select(model()->index(r, 0), model()->index(r, last));
    selectionModel()->select(ranges, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TEntryListView::SelectRuns(const std::vector<uint32_t>& rows)
{
    QItemSelection runs;
    for (size_t k = 0; k < rows.size();) {
        size_t last = k;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) ++last;
        runs.select(model()->index(int(rows[k]), 0), model()->index(int(rows[last]), 3));
        k = last + 1;
    }
    // The ranges span whole rows already; asking the model to widen them
    // would cost time quadratic in their number.
    selectionModel()->select(runs, QItemSelectionModel::Select);
}

void TEntryListView::MoveSelection(int from, int to)
{
    // The new selection is put together here and swapped in whole: changing
    // a selection of many separate ranges in place makes the selection model
    // compare them pairwise, which takes minutes after a large find all.
    QItemSelectionModel* selection = selectionModel();
    QItemSelection kept;
    for (const QItemSelectionRange& range : selection->selection()) {
        if (from < range.top() || from > range.bottom()) {
            kept.append(range);
            continue;
        }
        if (range.top() < from)
            kept.append(QItemSelectionRange(model()->index(range.top(), range.left()),
                                            model()->index(from - 1, range.right())));
        if (from < range.bottom())
            kept.append(QItemSelectionRange(model()->index(from + 1, range.left()),
                                            model()->index(range.bottom(), range.right())));
    }
    kept.merge(QItemSelection(model()->index(to, 0), model()->index(to, 3)), QItemSelectionModel::Select);
    clearSelection();  // nothing becomes selected, so no selection handler
    SetCurrentRow(to);
    selection->select(kept, QItemSelectionModel::Select);
}

void TEntryListView::SetCurrentRow(int row)
{
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void TEntryListView::ScrollRowToTop(int row)
{
    // Measured from the row's own position, so any row height brings it to the top.
    doItemsLayout();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + rowViewportPosition(row));
}
