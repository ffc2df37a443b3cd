// The entry list control: a report-style table over TEntryListModel with
// whole-row, multiple selection. Rows becoming selected are reported, and so
// is a click that did not select any (one on the row already selected, or
// off the rows), so that each click is answered once; a drag of selected
// rows out of it is reported too. The selection and scroll helpers the
// commands share live here.
#pragma once

#include <QTableView>
#include <vector>

class QMenu;

class TEntryListView : public QTableView {
    Q_OBJECT
public:
    explicit TEntryListView(QWidget* parent);

    // The first selected row in list order, or -1.
    int SelectedRow() const;
    // Every selected row, top to bottom, each once.
    std::vector<int> SelectedRows() const;
    // Adds the row to the selection without telling anyone: the preview and
    // the menus stay as they were.
    void SelectRowQuietly(int row);
    // Selects each of the rows, every one a range of its own.
    void SelectRows(const std::vector<int>& rows);
    // Selects the rows (ascending), runs of neighbouring rows as one range,
    // in one change of the selection.
    void SelectRuns(const std::vector<uint32_t>& rows);
    // Row `from` leaves the selection (when it is in it; -1 for none) and
    // `to` joins it and becomes the current row; the others stay selected.
    void MoveSelection(int from, int to);
    // The row the keyboard works from, leaving the selection alone.
    void SetCurrentRow(int row);
    // Scrolls so that the row is the top one.
    void ScrollRowToTop(int row);

    // The menu a right click opens, or none.
    QMenu* ContextMenu() const { return contextMenu_; }
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

signals:
    // Rows became selected (not when they only lost it), by the mouse, the
    // keyboard or a command.
    void RowsSelected();
    // A left click whose press and release selected no row.
    void Clicked();
    // Selected rows are being dragged; the receiver runs the drag.
    void DragStarted();

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    QMenu* contextMenu_ = nullptr;
    bool clicking_ = false;     // between a left press and its release
    bool clickAnswered_ = false;  // rows became selected since that press
};
