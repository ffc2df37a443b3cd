// The preview pane (objectName "Notebook1"): the default page and the pages
// of the entries that have a preview, one shown at a time.
#pragma once

#include <QStackedWidget>
#include <functional>
#include <vector>

#include "archive/Catalogue.h"

class Prompts;
class TPreviewPage;
class TTxdPage;
namespace korvane {
struct TTextureChange;
struct TTextureChangeResult;
}

class TPreviewPane : public QStackedWidget {
    Q_OBJECT
public:
    // Runs a command and shows its failure in the standard error box.
    using TGuard = std::function<void(const std::function<void()>&)>;
    TPreviewPane(QWidget* parent, Prompts& prompts, TGuard guard);

    // Brings up the page that takes the entry, or the default page, and
    // shows the entry there. Raises on a read failure.
    // `editable`: the archive's entries may be changed (TArchiveSession::Editable).
    void Preview(const korvane::Catalogue& cat, const korvane::TArchiveEntry& e, bool editable);
    void ShowDefault();
    // Every page empty, nothing running in the background.
    void Clear();
    // What writes a texture change made on the TXD page (TTxdPage::TTextureChanger).
    void SetTextureChanger(std::function<korvane::TTextureChangeResult(const korvane::TArchiveEntry&,
                                                                       const korvane::TTextureChange&)> changer);

signals:
    // Preview has begun reading an entry: one per preview asked for.
    void PreviewStarted();

private:
    QWidget* default_;
    std::vector<TPreviewPage*> pages_;
    TTxdPage* txd_;
};
