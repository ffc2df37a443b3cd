#include "app/preview/PaintButtons.h"

#include <QColorDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>

#include "app/Prompts.h"

using namespace korvane;

namespace {

QSettings Settings() { return QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")); }
const QString ColourKeys[2] = {QStringLiteral("Model/Colour1"), QStringLiteral("Model/Colour2")};

uint8_t* Rgb(TVehiclePaint& p, int which) { return which == 0 ? p.Primary : p.Secondary; }
QColor ToQColor(const uint8_t* rgb) { return QColor(rgb[0], rgb[1], rgb[2]); }

}  // namespace

TPaintButtons::TPaintButtons(QWidget* parent, Prompts& prompts) : QWidget(parent), prompts_(prompts)
{
    setObjectName(QStringLiteral("PaintButtons"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    const QString texts[2] = {tr("Цвет 1"), tr("Цвет 2")};
    QSettings settings = Settings();
    for (int i = 0; i < 2; ++i) {
        // A colour remembered in another form than "#rrggbb" keeps the default.
        const QColor saved(settings.value(ColourKeys[i]).toString());
        uint8_t* rgb = Rgb(paint_, i);
        if (saved.isValid()) rgb[0] = uint8_t(saved.red()), rgb[1] = uint8_t(saved.green()), rgb[2] = uint8_t(saved.blue());
        buttons_[i] = new QPushButton(texts[i], this);
        buttons_[i]->setObjectName(QStringLiteral("Colour%1").arg(i + 1));
        buttons_[i]->setAccessibleName(texts[i]);
        buttons_[i]->setFocusPolicy(Qt::TabFocus);
        layout->addWidget(buttons_[i]);
    }
    ShowColours();
}

void TPaintButtons::ShowColours()
{
    for (int i = 0; i < 2; ++i) {
        QPixmap swatch(12, 12);
        swatch.fill(ToQColor(Rgb(paint_, i)));
        QPainter(&swatch).drawRect(0, 0, 11, 11);
        buttons_[i]->setIcon(QIcon(swatch));
    }
}

bool TPaintButtons::ChooseColour(int which)
{
    uint8_t* rgb = Rgb(paint_, which);
    QColorDialog dialog(ToQColor(rgb), this);
    dialog.setObjectName(QStringLiteral("ColorDialog%1").arg(which + 1));
    dialog.setWindowTitle(buttons_[which]->text());
    prompts_.ShowModal(&dialog);
    const QColor chosen = dialog.selectedColor();
    if (dialog.result() != QDialog::Accepted || !chosen.isValid()) return false;
    rgb[0] = uint8_t(chosen.red()), rgb[1] = uint8_t(chosen.green()), rgb[2] = uint8_t(chosen.blue());
    Settings().setValue(ColourKeys[which], ToQColor(rgb).name());
    ShowColours();
    return true;
}
