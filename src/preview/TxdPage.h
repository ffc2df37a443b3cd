// The "TXD" preview page: a texture dictionary's textures.
#pragma once

#include <QWidget>

#include "archive/Catalogue.h"
#include "preview/PreviewPageHeader.h"

class QLabel;

class TTxdPage : public QWidget {
    Q_OBJECT
public:
    explicit TTxdPage(QWidget* parent);

    // Previews the dictionary entry e of the open archive. Raises on a read
    // failure, after the page has shown what it could.
    void Preview(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, const QString& name,
                 const QString& sizeText);

private:
    TPreviewHeader header_;
    QLabel* Label9;
};
