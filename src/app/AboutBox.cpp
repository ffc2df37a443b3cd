#include "app/AboutBox.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

// A small drawing of an archive: a stack of sectors.
QPixmap ArchivePicture()
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(0x2f, 0x6d, 0xb5), QColor(0x3f, 0x8f, 0xd8), QColor(0x6f, 0xb2, 0xee)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(0x1a, 0x3d, 0x66), 1.5));
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(6, 40 - i * 14, 52, 16), 3, 3);
    }
    return pm;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(tr("О программе"));
    setFixedSize(419, 136);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(ArchivePicture());
    picture->setGeometry(16, 16, 64, 64);
    picture->setAccessibleName(QStringLiteral("Korvane"));

    auto* title = new QLabel(QStringLiteral("Korvane 3.0"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(24);
    titleFont.setItalic(true);
    title->setFont(titleFont);
    title->setGeometry(96, 12, 310, 32);

    auto* contact = new QLabel(tr("Просмотр и правка архивов игр\nКоманда Korvane, 2026"), this);
    contact->setObjectName(QStringLiteral("Label2"));
    contact->setGeometry(96, 50, 310, 40);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    ok->setGeometry(326, 100, 80, 26);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
