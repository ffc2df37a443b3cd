#include "preview/IplPage.h"

#include <QVBoxLayout>

TIplPage::TIplPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("IPL"));
    setAccessibleName(QStringLiteral("IPL"));
    auto* layout = new QVBoxLayout(this);
    header_ = MakePreviewHeader(this, "Label5", "Label7");
    layout->addWidget(header_.Name);
    layout->addWidget(header_.Size);
    layout->addStretch(1);
}

void TIplPage::Preview(korvane::TFile&, const unsigned char*, const korvane::TArchiveEntry&, const QString& name,
                       const QString& sizeText)
{
    header_.Name->setText(name);
    header_.Size->setText(sizeText);
}
