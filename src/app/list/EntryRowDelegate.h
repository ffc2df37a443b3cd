// Paints entry rows: white or highlighted background, the four cell texts
// clipped to their cells, in the list's text colour.
#pragma once

#include <QStyledItemDelegate>

class QHeaderView;

class TEntryRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TEntryRowDelegate(QHeaderView* header, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QHeaderView* header_;
};
