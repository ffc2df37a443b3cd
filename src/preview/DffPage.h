// The "DFF" preview page: a model's parts and a 3D view of them.
#pragma once

#include <QWidget>

#include "archive/Catalogue.h"
#include "preview/PreviewPageHeader.h"

class TDffPage : public QWidget {
    Q_OBJECT
public:
    explicit TDffPage(QWidget* parent);

    // Previews the model entry e of the open archive. Raises on a read
    // failure, keeping what was read before it.
    void Preview(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, const QString& name,
                 const QString& sizeText);

private:
    TPreviewHeader header_;
};
