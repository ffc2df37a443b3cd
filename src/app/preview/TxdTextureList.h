// The texture list (objectName "ListBox1"): one owner-drawn row of 52
// pixels per texture. The rows hold no text; the delegate draws each one
// from its texture record and thumbnails.
#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <QStyledItemDelegate>
#include <vector>

#include "formats/txd/TextureDictionary.h"

class QListView;

// Where a texture's thumbnails stand in the image list; -1 until the
// thumbnail worker has made them, so that a row never shows another
// dictionary's picture.
struct TThumbnailIndex {
    int32_t ImageIndex = -1;
    int32_t MaskImageIndex = -1;
};

class TTextureListModel : public QAbstractListModel {
    Q_OBJECT
public:
    TTextureListModel(const std::vector<korvane::TTextureInfo>& textures, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    // Display text is empty; screen readers get the texture's name.
    QVariant data(const QModelIndex& index, int role) const override;

    // No rows, no thumbnails; every texture of the table without one.
    void Clear();
    void AppendRow();

    // Takes copies of texture `row`'s thumbnails into the image list (the
    // mask's when given: a texture with alpha).
    void AddThumbnails(int row, const QImage& picture, const QImage* mask);
    const std::vector<QImage>& ImageList() const { return imageList_; }
    const std::vector<TThumbnailIndex>& Thumbnails() const { return thumbnails_; }
    // Texture `row` and its thumbnails (none yet: nullptr).
    const korvane::TTextureInfo* Texture(int row) const;
    const QImage* Thumbnail(int row, bool mask) const;

private:
    const std::vector<korvane::TTextureInfo>& textures_;
    int rows_ = 0;
    std::vector<TThumbnailIndex> thumbnails_;
    std::vector<QImage> imageList_;
};

class TTextureRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TTextureRowDelegate(QListView* list);
    // Background, the two edge lines, the names, "WxHxBPP" and the thumbnails
    // (an empty frame until they arrive, "unsupported" for what cannot be decoded).
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int RowHeight = 52;

private:
    QListView* list_;
};
