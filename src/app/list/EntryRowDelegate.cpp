#include "app/list/EntryRowDelegate.h"

#include <QHeaderView>
#include <QPainter>

TEntryRowDelegate::TEntryRowDelegate(QHeaderView* header, QObject* parent)
    : QStyledItemDelegate(parent), header_(header)
{
}

// The whole row is laid out from the row's left edge L and the column widths
// W_k: cell k starts at x_k (x_0 = L, x_k = x_{k-1} + W_{k-1} + 2), its text
// at x_k (L + 2 for the first), at T - 1, clipped to W_k - 4 pixels wide and
// T..B + 4 high. Each cell paints the whole row clipped to itself, so partial
// repaints give the same pixels as painting the row at once.
void TEntryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QAbstractItemModel* model = index.model();
    const int col = index.column();
    const int left = option.rect.left() - (header_->sectionViewportPosition(col) - header_->sectionViewportPosition(0));
    const int top = option.rect.top();
    const int bottom = option.rect.bottom();
    const bool selected = option.state & QStyle::State_Selected;

    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    painter->fillRect(option.rect, selected ? option.palette.color(QPalette::Active, QPalette::Highlight) : Qt::white);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));

    int x = left;
    for (int k = 0; k < 4; ++k) {
        const int width = header_->sectionSize(k);
        if (k > 0) x += header_->sectionSize(k - 1) + 2;
        const int textLeft = k == 0 ? left + 2 : x;
        const QRect cell(x, top, width - 4, bottom + 4 - top + 1);
        if (cell.width() > 0 && cell.intersects(option.rect)) {
            painter->save();
            painter->setClipRect(cell, Qt::IntersectClip);
            const QString text = model->index(index.row(), k).data(Qt::DisplayRole).toString();
            painter->drawText(QRect(textLeft, top - 1, 32767, bottom + 6 - top), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
            painter->restore();
        }
    }
    painter->restore();
}
