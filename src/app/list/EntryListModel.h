// The entry list's model: R rows over the catalogue, each cell's text
// computed on demand through RowOrder; nothing per row is stored.
#pragma once

#include <QAbstractTableModel>
#include <array>
#include <string>

#include "app/TranslatedWords.h"
#include "archive/Catalogue.h"
#include "listview/ShownRows.h"

class QAbstractItemView;

class TEntryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TEntryListModel(const korvane::Catalogue& cat, const korvane::TRowOrder& order, QObject* parent);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    uint32_t Rows() const { return rows_; }
    // Replaces all rows by n rows (the list is rebuilt, the selection dropped).
    void SetRows(uint32_t n);
    // The rows show other entries now (sorted or reversed); selection stays by position.
    void RowsChanged();
    // Captions after a sort by column col: its caption carries " •".
    void MarkSortColumn(int col);
    QString CellText(int row, int col) const;
    // Adds or removes rows at the end until there are n; the rows before
    // keep their selection by position.
    void ResizeRows(uint32_t n);

private:
    const korvane::Catalogue& cat_;
    const korvane::TRowOrder& order_;
    uint32_t rows_ = 0;
    std::array<QString, 4> captions_;
    std::string decimalPoint_;
    TTranslatedWords words_;
};

// Keeps the list's rows in step with the catalogue while entry operations
// run: repainting stays off while several rows come or go, the rows follow
// what each operation did (TShownRows), and however the command ends the
// model gets as many rows as the operations left and the list is repainted.
class TRowsInStep {
public:
    TRowsInStep(const korvane::Catalogue& cat, korvane::TRowOrder& order, TEntryListModel& model, QAbstractItemView& view,
                bool suspend);
    ~TRowsInStep();
    TRowsInStep(const TRowsInStep&) = delete;
    TRowsInStep& operator=(const TRowsInStep&) = delete;

    // Where the operations record what they change.
    korvane::TEntryChanges& Changes() { return shown_.Changes(); }
    // The rows after the operations so far.
    uint32_t Rows() { return shown_.Rows(); }
    // The model takes those rows now (between operations of one command).
    void Follow();

private:
    TEntryListModel& model_;
    QAbstractItemView& view_;
    bool suspend_;
    uint32_t rows_;
    korvane::TShownRows shown_;
};
