// The "IPL" preview page: a binary placement file shown as text.
#pragma once

#include <QWidget>

#include "archive/Catalogue.h"
#include "archive/FileIO.h"
#include "preview/PreviewPageHeader.h"

class TIplPage : public QWidget {
    Q_OBJECT
public:
    explicit TIplPage(QWidget* parent);

    // Converts the placement entry whose first 76 bytes are `header`;
    // `file` is the archive, positioned just after them. Raises on a read
    // failure, keeping the lines converted before it.
    void Preview(korvane::TFile& file, const unsigned char* header, const korvane::TArchiveEntry& e,
                 const QString& name, const QString& sizeText);

private:
    TPreviewHeader header_;
};
