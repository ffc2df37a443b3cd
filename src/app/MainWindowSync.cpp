// Keeping the window in step with an archive that other programs change too:
// no change is written from a directory older than the disk's, and changes
// made while the window is idle are noticed and shown.
#include <QFile>
#include <set>
#include <string>

#include "app/ArchiveWatcher.h"
#include "app/BusyWait.h"
#include "app/MainWindow.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "archive/ArchiveLock.h"
#include "archive/ArchiveOpen.h"
#include "ops/ArchiveOps.h"

using namespace korvane;

void TMainWindow::WatchArchiveFiles()
{
    watcher_ = new TArchiveWatcher(this);
    connect(&session_, &TArchiveSession::Loaded, this, [this] {
        const Catalogue& cat = session_.Cat();
        watcher_->Watch({QFile::decodeName(cat.ArchivePath.c_str()), QFile::decodeName(cat.DirPath.c_str())});
    });
    connect(&session_, &TArchiveSession::Closed, this, [this] { watcher_->Stop(); });
    connect(watcher_, &TArchiveWatcher::Settled, this, [this] { ArchiveFilesSettled(); });
}

TArchiveLock TMainWindow::LockForChange()
{
    const TBusyCursorWait busy;
    return ops::LockForChange(session_.Cat(), busy.Wait());
}

void TMainWindow::ReloadAfterOutsideChange()
{
    const Catalogue& cat = session_.Cat();
    std::set<std::string> names;
    for (int r : listView_->SelectedRows()) names.emplace(EntryName(cat.Entries[rowOrder_.RowOrder[size_t(r)]]));
    ReloadSelecting(names);
}

void TMainWindow::ReloadSelecting(const std::set<std::string>& names)
{
    // The very files and kind that were open, as after a repack.
    const Catalogue& cat = session_.Cat();
    TArchiveLocation where;
    where.ArchivePath = cat.ArchivePath;
    where.DirPath = cat.DirPath;
    where.Kind = cat.ArchiveKind;
    LoadFrom(where);

    std::vector<int> rows;
    const Catalogue& now = session_.Cat();
    for (uint32_t r = 0; r < model_->Rows(); ++r)
        if (names.count(std::string(EntryName(now.Entries[rowOrder_.RowOrder[r]])))) rows.push_back(int(r));
    if (!rows.empty()) listView_->SelectRows(rows);
}

void TMainWindow::ArchiveFilesSettled()
{
    if (commandDepth_ > 0) {
        outsideCheckPending_ = true;
        return;
    }
    if (!session_.Opened() || closing_) return;
    try {
        TLockWait now;
        now.Limit = std::chrono::milliseconds(0);
        // The window's own changes keep the catalogue as the disk has it.
        if (ops::DirectoryUnchanged(session_.Cat(), now)) return;
    } catch (const EArchiveBusy&) {
        watcher_->Later();  // being changed right now: looked at once it is done
        return;
    } catch (...) {
        return;  // unreadable or gone: the next command says so
    }
    Guard([this] {
        ReloadAfterOutsideChange();
        SetStatusText(tr("Архив изменён другой программой, список обновлён"));
    });
}
