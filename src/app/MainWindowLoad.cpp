// Opening an archive into the window.
#include <QFile>
#include <QMessageBox>

#include "app/BusyWait.h"
#include "app/Dialogs.h"
#include "app/LocalPaths.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "app/preview/PreviewPane.h"
#include "archive/ArchiveOpen.h"
#include "base/FileIO.h"
#include "ops/ArchiveOps.h"

using namespace korvane;

void TMainWindow::Load(const std::string& path)
{
    TArchiveLocation where = LocateArchive(path);

    if (where.Kind == akImg) {
        while (!FileExists(where.DirPath)) {
            const QString text = tr("Файл '%1' не найден. Вы желаете указать его местоположение?")
                                     .arg(QFile::decodeName(where.DirPath.c_str()));
            if (prompts_.Question(this, text, tr("Необходимый файл не найден"),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Information) != QMessageBox::Yes)
                return;
            const QString picked =
                prompts_.OpenFile(this, DialogName(LocateDirDialog), DialogFilter(LocateDirDialog));
            if (picked.isEmpty()) return;
            where.DirPath = LocalPath(picked);
        }
    }
    LoadFrom(where);
}

void TMainWindow::LoadFrom(const TArchiveLocation& where)
{
    const QString previousStatus = StatusText();
    SetStatusText(tr("Загрузка..."));
    Catalogue opened;
    TRowOrder order;
    try {
        // Read under the shared lock, so never half written by another program.
        const TBusyCursorWait busy;
        opened = ops::OpenForReading(where, busy.Wait());
        order = OpenedRowOrder(opened.Entries.size());
    } catch (...) {
        // The previous archive stays open as it was, its status text too.
        SetStatusText(previousStatus);
        throw;
    }

    // The directory is read whole: now the open archive is replaced.
    listView_->setUpdatesEnabled(false);
    model_->SetRows(0);
    listView_->SetContextMenu(nullptr);  // no row can be selected in the new list yet
    rowOrder_ = std::move(order);
    session_.Open(std::move(opened));
    selectionSeen_ = false;
    UpdateActions();

    // Rows carry no data of their own, so they are added all at once; the
    // progress still walks every row, shown only when the whole percentage
    // changes.
    const uint32_t n = uint32_t(session_.Cat().Entries.size());
    uint32_t rows = 0;
    int shown = -1;
    for (uint32_t i = 0; i < n; ++i) {
        ++rows;
        const int p = LoadPercent(i, n);
        if (p != shown) {
            shown = p;
            SetStatusText(tr("Загрузка: %1%").arg(p));
        }
        if (closing_) break;
    }
    model_->SetRows(rows);
    listView_->setUpdatesEnabled(true);

    SetStatusText(session_.Writable() ? tr("Загрузка завершена")
                            : tr("Загрузка завершена (только чтение)"));
    pane_->ShowDefault();
}
