#include "app/list/EntryListModel.h"

#include <QAbstractItemView>
#include <QLocale>

#include "listview/CellText.h"

using namespace korvane;

TEntryListModel::TEntryListModel(const Catalogue& cat, const TRowOrder& order, QObject* parent)
    : QAbstractTableModel(parent), cat_(cat), order_(order), decimalPoint_(QLocale::system().decimalPoint().toStdString())
{
    MarkSortColumn(-1);
}

int TEntryListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_); }

int TEntryListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QString TEntryListModel::CellText(int row, int col) const
{
    if (row < 0 || uint32_t(row) >= rows_ || col < 0 || col > 3) return {};
    return QString::fromStdString(korvane::CellText(cat_, order_, uint32_t(row), col, decimalPoint_, words_.Words()));
}

QVariant TEntryListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
        return CellText(index.row(), index.column());
    return {};
}

QVariant TEntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 3) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return captions_[size_t(section)];
    return {};
}

Qt::ItemFlags TEntryListModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled : Qt::NoItemFlags;
}

void TEntryListModel::SetRows(uint32_t n)
{
    beginResetModel();
    rows_ = n;
    endResetModel();
}

void TEntryListModel::RowsChanged()
{
    if (rows_ > 0) emit dataChanged(index(0, 0), index(int(rows_) - 1, 3));
}

void TEntryListModel::MarkSortColumn(int col)
{
    for (size_t k = 0; k < captions_.size(); ++k) {
        const std::string_view caption = words_.Words().ColumnCaptions[k];
        captions_[k] = QString::fromUtf8(caption.data(), qsizetype(caption.size()));
        if (int(k) == col) captions_[k] += QStringLiteral(" \u2022");
    }
    emit headerDataChanged(Qt::Horizontal, 0, 3);
}

void TEntryListModel::ResizeRows(uint32_t n)
{
    if (n > rows_) {
        beginInsertRows(QModelIndex(), int(rows_), int(n) - 1);
        rows_ = n;
        endInsertRows();
    } else if (n < rows_) {
        beginRemoveRows(QModelIndex(), int(n), int(rows_) - 1);
        rows_ = n;
        endRemoveRows();
    }
}

TRowsInStep::TRowsInStep(const Catalogue& cat, TRowOrder& order, TEntryListModel& model, QAbstractItemView& view,
                         bool suspend)
    : model_(model), view_(view), suspend_(suspend), rows_(model.Rows()), shown_(cat, order, rows_)
{
    if (suspend_) view_.setUpdatesEnabled(false);
}

TRowsInStep::~TRowsInStep()
{
    try {
        shown_.Finish();
    } catch (...) {
        // The row count is set before anything can fail.
    }
    model_.ResizeRows(rows_);
    model_.RowsChanged();
    if (suspend_) view_.setUpdatesEnabled(true);
    view_.viewport()->update();
}

void TRowsInStep::Follow() { model_.ResizeRows(Rows()); }
