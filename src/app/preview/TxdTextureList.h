// `ListBox1`: one owner-drawn row of 52 pixels per texture. The rows hold no
// text; the page draws each one from its texture record.
#pragma once

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

#include "preview/TextureDictionary.h"

class TTextureListModel : public QAbstractListModel {
    Q_OBJECT
public:
    TTextureListModel(const std::vector<korvane::TTextureInfo>& textures, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    // Display text is empty; screen readers get the texture's name.
    QVariant data(const QModelIndex& index, int role) const override;
    void Clear();
    void AppendRow();

private:
    const std::vector<korvane::TTextureInfo>& textures_;
    int rows_ = 0;
};

class TTextureRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Draws row `index` into `rect`; `selected` chooses the background.
    using TDraw = std::function<void(QPainter* painter, int index, const QRect& rect, bool selected)>;
    TTextureRowDelegate(TDraw draw, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int RowHeight = 52;

private:
    TDraw draw_;
};
