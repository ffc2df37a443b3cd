// The entry list control: a report-style table over TEntryListModel with
// whole-row, multiple selection. Any click on it is reported, and so is a
// drag of selected rows out of it.
#pragma once

#include <QTableView>

class TEntryListView : public QTableView {
    Q_OBJECT
public:
    explicit TEntryListView(QWidget* parent);

signals:
    void Clicked();
    // Selected rows are being dragged; the receiver runs the drag.
    void DragStarted();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};
