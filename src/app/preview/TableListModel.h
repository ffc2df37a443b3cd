// A read-only list model whose cells are worked out on demand from the
// page's own state: the page says how many rows there are and what a cell
// reads, and stores no text here.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

class TTableListModel : public QAbstractTableModel {
public:
    using TCell = std::function<QString(int row, int column)>;
    // The first `textColumns` columns hold text, aligned left; the others
    // numbers, aligned right.
    TTableListModel(QObject* parent, QStringList captions, TCell cell, int textColumns = 1)
        : QAbstractTableModel(parent), captions_(std::move(captions)), cell_(std::move(cell)), textColumns_(textColumns)
    {
    }

    // The rows are now `rows`, the cells read afresh.
    void Reset(int rows)
    {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(captions_.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rows_) return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return cell_(index.row(), index.column());
        if (role == Qt::TextAlignmentRole && index.column() >= textColumns_) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < captions_.size()) return captions_[section];
        return {};
    }

private:
    QStringList captions_;
    TCell cell_;
    int textColumns_;
    int rows_ = 0;
};
