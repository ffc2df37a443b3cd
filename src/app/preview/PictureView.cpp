#include "app/preview/PictureView.h"

#include <QPainter>

using namespace korvane;

QImage WrapBitmap(TTextureBitmap& bitmap)
{
    if (bitmap.Width <= 0 || bitmap.Height <= 0) return QImage();
    // Blue, green, red, 255 in memory is 0xFFRRGGBB on a little-endian machine.
    return QImage(bitmap.Pixels.data(), bitmap.Width, bitmap.Height, bitmap.Width * 4, QImage::Format_RGB32);
}

TPictureView::TPictureView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
    setAccessibleName(QStringLiteral("Image1"));
}

void TPictureView::SetPicture(TTextureBitmap bitmap)
{
    picture_ = QImage();
    bitmap_ = std::move(bitmap);
    picture_ = WrapBitmap(bitmap_);
    placeholder_.clear();
    update();
}

void TPictureView::SetPlaceholder(const QString& text)
{
    Clear();
    placeholder_ = text;
    update();
}

void TPictureView::Clear()
{
    picture_ = QImage();
    bitmap_ = TTextureBitmap{};
    placeholder_.clear();
    update();
}

void TPictureView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!placeholder_.isEmpty()) {
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawText(rect(), Qt::AlignCenter, placeholder_);
        return;
    }
    if (picture_.isNull()) return;
    const QSize fit = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, picture_);
}
