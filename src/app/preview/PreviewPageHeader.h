// The top lines every preview page starts with: the entry's name in bold on
// the left and its size text right-aligned on the right.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

struct TPreviewHeader {
    QLabel* Name;
    QLabel* Size;
    QString NameCaption;  // the texts before the first preview
    QString SizeCaption;
    // Back to the texts before the first preview.
    void Clear();
};

// Creates the two labels inside `parent` under the given object names, with
// their captions before the first preview ("имя файла" and "размер" when
// none are given).
TPreviewHeader MakePreviewHeader(QWidget* parent, const char* nameLabel, const char* sizeLabel,
                                 const QString& nameCaption = QString(), const QString& sizeCaption = QString());
