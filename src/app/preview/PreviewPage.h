// One page of the preview pane. The pane asks its pages in turn whether they
// take the selected entry; the first that does is brought up and shows it,
// and when none does the pane shows its default page.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "archive/Catalogue.h"
#include "base/FileIO.h"
#include "formats/Formats.h"

class QWidget;

// The entry a page is asked about and shown, with the texts of its header.
class TPreviewEntry {
public:
    TPreviewEntry(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, bool editable);

    const korvane::Catalogue& Cat;
    const korvane::TArchiveEntry Entry;  // a copy: a preview must not depend on the catalogue staying put
    const korvane::TFormat* const Format;  // by the name's extension; none when no row of the table has it
    const QString Name;
    const QString SizeText;              // "%d КБ"
    const bool Editable;                 // the archive's entries may be changed (decided when it was opened)

    // The archive file, opened at the entry's first byte on first use; it is
    // closed when the preview ends.
    korvane::TFile& File();
    // Whether the entry is of this format: by its extension and, for a format
    // that the table has check its first bytes, by them (read on first use
    // into Header; an entry shorter than them raises).
    bool Is(korvane::TFormatKind kind);
    const std::vector<uint8_t>& Header() const { return header_; }

private:
    std::optional<korvane::TFile> file_;
    std::vector<uint8_t> header_;
};

class TPreviewPage {
public:
    virtual ~TPreviewPage() = default;
    virtual QWidget* Widget() = 0;
    // Whether the page shows the entry: whether it is of the page's format
    // (TPreviewEntry::Is; a failing read raises, the pane then unchanged).
    virtual bool Takes(TPreviewEntry& entry) = 0;
    // Shows the entry it took, the page already brought up. Raises on a read
    // failure after showing what it could.
    virtual void Show(TPreviewEntry& entry) = 0;
    // Empties the page and ends its work in the background, as the window
    // closes.
    virtual void Clear() = 0;
};
