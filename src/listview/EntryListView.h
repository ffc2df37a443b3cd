// The entry list control: a report-style table over TEntryListModel with
// whole-row, multiple selection. Any click on it is reported.
#pragma once

#include <QTableView>

class TEntryListView : public QTableView {
    Q_OBJECT
public:
    explicit TEntryListView(QWidget* parent);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
