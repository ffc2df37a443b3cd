// The picture view (objectName "Image1"): a picture scaled to the largest
// size that fits, keeping its aspect ratio, centred, drawn without
// filtering. It shows a decoded texture bitmap without copying it.
#pragma once

#include <QImage>
#include <QWidget>

#include "formats/txd/TextureDecode.h"

class TPictureView : public QWidget {
    Q_OBJECT
public:
    explicit TPictureView(QWidget* parent);

    // Takes the bitmap over; the picture wraps its pixels.
    void SetPicture(korvane::TTextureBitmap bitmap);
    // Shows the placeholder of a texture that cannot be decoded.
    void SetPlaceholder(const QString& text);
    void Clear();
    const QImage& Picture() const { return picture_; }
    const QString& PlaceholderText() const { return placeholder_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    korvane::TTextureBitmap bitmap_;
    QImage picture_;
    QString placeholder_;
};

// A QImage over the bitmap's pixels (no copy); valid while `bitmap` lives.
QImage WrapBitmap(korvane::TTextureBitmap& bitmap);
