#include "app/preview/TxdTextureList.h"

#include <QListView>
#include <QPainter>

#include "app/preview/ImageLoader.h"
#include "base/NameCodec.h"
#include "formats/txd/TextureDecode.h"

using namespace korvane;

namespace {

QString NameText(const std::string& raw) { return QString::fromStdString(Cp1251ToUtf8(raw)); }

}  // namespace

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
    // Nothing names the old thumbnails any more; keeping them would let the
    // list grow with every dictionary shown.
    imageList_.clear();
    thumbnails_.assign(textures_.size(), TThumbnailIndex{});
    endResetModel();
}

void TTextureListModel::AppendRow()
{
    beginInsertRows({}, rows_, rows_);
    ++rows_;
    endInsertRows();
}

void TTextureListModel::AddThumbnails(int row, const QImage& picture, const QImage* mask)
{
    if (size_t(row) >= thumbnails_.size()) thumbnails_.resize(size_t(row) + 1);
    TThumbnailIndex& t = thumbnails_[size_t(row)];
    imageList_.push_back(picture.copy());
    t.ImageIndex = int32_t(imageList_.size() - 1);
    if (mask) {
        imageList_.push_back(mask->copy());
        t.MaskImageIndex = int32_t(imageList_.size() - 1);
    }
}

const TTextureInfo* TTextureListModel::Texture(int row) const
{
    return row >= 0 && size_t(row) < textures_.size() ? &textures_[size_t(row)] : nullptr;
}

const QImage* TTextureListModel::Thumbnail(int row, bool mask) const
{
    if (row < 0 || size_t(row) >= thumbnails_.size()) return nullptr;
    const int32_t image = mask ? thumbnails_[size_t(row)].MaskImageIndex : thumbnails_[size_t(row)].ImageIndex;
    return image >= 0 && size_t(image) < imageList_.size() ? &imageList_[size_t(image)] : nullptr;
}

TTextureRowDelegate::TTextureRowDelegate(QListView* list) : QStyledItemDelegate(list), list_(list) {}

QSize TTextureRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), RowHeight);
}

void TTextureRowDelegate::paint(QPainter* canvas, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    canvas->save();
    const QRect& rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    // Edges as the row's rectangle gives them: right and bottom exclusive.
    const int L = rect.left(), T = rect.top(), R = rect.left() + rect.width(), B = rect.top() + rect.height();
    const QPalette& pal = list_->palette();
    canvas->fillRect(rect, selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
    canvas->setPen(QPen(pal.color(QPalette::Light), 1));
    canvas->drawLine(L + 1, T, R - 2, T);
    canvas->setPen(QPen(pal.color(QPalette::Dark), 1));
    canvas->drawLine(L + 1, B - 1, R - 2, B - 1);
    const auto* model = static_cast<const TTextureListModel*>(index.model());
    const TTextureInfo* texture = model->Texture(index.row());
    if (!texture) {
        canvas->restore();
        return;
    }
    const TTextureInfo& t = *texture;

    canvas->setFont(list_->font());
    const int th = canvas->fontMetrics().height();
    auto text = [&](int x, int y, const QColor& colour, const QString& s) {
        canvas->setPen(colour);
        canvas->drawText(QRect(x, y, std::max(R - 104 - x, 1), th), Qt::AlignLeft | Qt::AlignTop, s);
    };
    const TTextureEncoding enc = TextureEncoding(t);
    text(L + 4, T + 2, Qt::black, NameText(t.Name));
    text(L + 4, T + 2 + th, t.HasAlpha ? QColor(0, 0, 0x80) : QColor(0x80, 0x80, 0x80), NameText(t.MaskName));
    text(L + 4, B - th - 2, Qt::black,
         QStringLiteral("%1x%2x%3").arg(t.Width).arg(t.Height).arg(EncodingBitsPerPixel(enc)));

    const int size = TImageLoader::ThumbnailSize;
    if (enc == TTextureEncoding::Unsupported) {
        canvas->setPen(QColor(0x80, 0x80, 0x80));
        canvas->drawText(QRect(R - 102, T + 2, 98, size), Qt::AlignCenter, QStringLiteral("unsupported"));
        canvas->restore();
        return;
    }
    // Until the worker's thumbnail arrives the place shows an empty frame.
    auto thumb = [&](int x, const QImage* image) {
        if (image) {
            canvas->drawImage(QPoint(x, T + 2), *image);
        } else {
            canvas->setPen(pal.color(QPalette::Dark));
            canvas->drawRect(x, T + 2, size - 1, size - 1);
        }
    };
    thumb(R - 52, model->Thumbnail(index.row(), false));
    if (t.HasAlpha) thumb(R - 102, model->Thumbnail(index.row(), true));
    canvas->restore();
}
