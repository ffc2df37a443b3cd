// Entries dragged out of the list onto a file manager: they are extracted
// the way the several-rows Extract writes them, into a fresh folder of their
// own under the temporary folder, and handed over as file URLs. The folders
// stay until the window goes, since the file manager copies from them after
// the drop has ended.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

#include "archive/Catalogue.h"

class QDrag;
class QMimeData;

class TEntryDragOut : public QObject {
    Q_OBJECT
public:
    explicit TEntryDragOut(QObject* parent);
    ~TEntryDragOut() override;

    // Extracts the entries (catalogue indices, top row first) into a fresh
    // folder and returns the mime data naming its top-level items, for the
    // caller to own. Any failure, an unsafe name included, raises and leaves
    // no folder behind.
    QMimeData* Prepare(const korvane::Catalogue& cat, const std::vector<uint32_t>& indices);

    // Runs a prepared drag offering `actions` and returns what the target did
    // with it; QDrag::exec (which blocks until the drop) unless replaced.
    std::function<Qt::DropAction(QDrag*, Qt::DropActions actions)> Exec;

private:
    QStringList folders_;
};

// The items directly inside the folder that a set of relative entry paths
// ("sub/x.txd", "a.dff") leaves, each once, in the order first met.
QStringList TopLevelItems(const QStringList& relativePaths);
