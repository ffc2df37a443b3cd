#include "preview/DffPage.h"

#include <QVBoxLayout>

TDffPage::TDffPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DFF"));
    setAccessibleName(QStringLiteral("DFF"));
    auto* layout = new QVBoxLayout(this);
    header_ = MakePreviewHeader(this, "Label1", "Label3");
    layout->addWidget(header_.Name);
    layout->addWidget(header_.Size);
    layout->addStretch(1);
}

void TDffPage::Preview(const korvane::Catalogue&, const korvane::TArchiveEntry&, const QString& name,
                       const QString& sizeText)
{
    header_.Name->setText(name);
    header_.Size->setText(sizeText);
}
