#include "app/preview/TxdTextureList.h"

#include <QPainter>

#include "archive/NameCodec.h"

using namespace korvane;

TTextureListModel::TTextureListModel(const std::vector<TTextureInfo>& textures, QObject* parent)
    : QAbstractListModel(parent), textures_(textures)
{
}

int TTextureListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant TTextureListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || size_t(index.row()) >= textures_.size()) return {};
    if (role == Qt::DisplayRole) return QString();
    if (role == Qt::AccessibleTextRole)
        return QString::fromStdString(Cp1251ToUtf8(textures_[size_t(index.row())].Name));
    return {};
}

void TTextureListModel::Clear()
{
    beginResetModel();
    rows_ = 0;
    endResetModel();
}

void TTextureListModel::AppendRow()
{
    beginInsertRows({}, rows_, rows_);
    ++rows_;
    endInsertRows();
}

TTextureRowDelegate::TTextureRowDelegate(TDraw draw, QObject* parent) : QStyledItemDelegate(parent), draw_(std::move(draw))
{
}

void TTextureRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    painter->save();
    draw_(painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    painter->restore();
}

QSize TTextureRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), RowHeight);
}
