#include "preview/TxdPage.h"

#include <QLabel>
#include <QVBoxLayout>

TTxdPage::TTxdPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TXD"));
    setAccessibleName(QStringLiteral("TXD"));
    auto* layout = new QVBoxLayout(this);
    header_ = MakePreviewHeader(this, "Label6", "Label8");
    Label9 = new QLabel(QStringLiteral("0 текстур"), this);
    Label9->setObjectName(QStringLiteral("Label9"));
    layout->addWidget(header_.Name);
    layout->addWidget(header_.Size);
    layout->addWidget(Label9);
    layout->addStretch(1);
}

void TTxdPage::Preview(const korvane::Catalogue&, const korvane::TArchiveEntry&, const QString& name,
                       const QString& sizeText)
{
    header_.Name->setText(name);
    header_.Size->setText(sizeText);
}
