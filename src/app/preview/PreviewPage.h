// One page of the preview pane. The pane asks its pages in turn whether they
// take the selected entry; the first that does is brought up and shows it,
// and when none does the pane shows its default page.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "archive/Catalogue.h"
#include "archive/FileIO.h"

class QWidget;

// The entry a page is asked about and shown, with the texts of its header.
class TPreviewEntry {
public:
    TPreviewEntry(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, bool editable);

    const korvane::Catalogue& Cat;
    const korvane::TArchiveEntry Entry;  // a copy: a preview must not depend on the catalogue staying put
    const std::string Extension;         // of the name, upper-cased, with its dot
    const QString Name;
    const QString SizeText;              // "%d КБ"
    const bool Editable;                 // the archive's entries may be changed (decided when it was opened)

    // The archive file, opened at the entry's first byte on first use; it is
    // closed when the preview ends.
    korvane::TFile& File();

private:
    std::optional<korvane::TFile> file_;
};

class TPreviewPage {
public:
    virtual ~TPreviewPage() = default;
    virtual QWidget* Widget() = 0;
    // Whether the page shows the entry: by its extension, and for some pages
    // by its first bytes (a failing read raises, the pane then unchanged).
    virtual bool Takes(TPreviewEntry& entry) = 0;
    // Shows the entry it took, the page already brought up. Raises on a read
    // failure after showing what it could.
    virtual void Show(TPreviewEntry& entry) = 0;
    // Empties the page and ends its work in the background, as the window
    // closes.
    virtual void Clear() = 0;
};
