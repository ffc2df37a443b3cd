#include "app/preview/PreviewPageHeader.h"

#include <QCoreApplication>
#include <QFont>

TPreviewHeader MakePreviewHeader(QWidget* parent, const char* nameLabel, const char* sizeLabel,
                                 const QString& givenName, const QString& givenSize)
{
    const QString nameCaption =
        givenName.isEmpty() ? QCoreApplication::translate("TPreviewHeader", "имя файла") : givenName;
    const QString sizeCaption = givenSize.isEmpty() ? QCoreApplication::translate("TPreviewHeader", "размер") : givenSize;
    TPreviewHeader h;
    h.Name = new QLabel(nameCaption, parent);
    h.Name->setObjectName(QString::fromLatin1(nameLabel));
    QFont bold(QStringLiteral("Arial"));
    bold.setPixelSize(12);
    bold.setBold(true);
    h.Name->setFont(bold);
    h.Size = new QLabel(sizeCaption, parent);
    h.Size->setObjectName(QString::fromLatin1(sizeLabel));
    h.Size->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    h.NameCaption = nameCaption;
    h.SizeCaption = sizeCaption;
    return h;
}

void TPreviewHeader::Clear()
{
    Name->setText(NameCaption);
    Size->setText(SizeCaption);
}
