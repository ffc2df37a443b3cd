// Opening an archive into the window.
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTableView>

#include "app/Dialogs.h"
#include "app/FindDialog.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "archive/ArchiveOpen.h"
#include "archive/FileIO.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"

using namespace korvane;

void TForm1::Load(const std::string& path)
{
    TArchiveLocation where = LocateArchive(path);

    if (where.Kind == akImg) {
        while (!FileExists(where.DirPath)) {
            const QString text = QStringLiteral("Файл '") + QFile::decodeName(where.DirPath.c_str()) +
                                 QStringLiteral("' не найден. Вы желаете указать его местоположение?");
            if (prompts_.Question(this, text, QStringLiteral("Необходимый файл не найден"),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Information) != QMessageBox::Yes)
                return;
            const QString picked = prompts_.OpenFile(this, DialogName(OpenDialog2), DialogFilter(OpenDialog2));
            if (picked.isEmpty()) return;
            where.DirPath = QFile::encodeName(picked).toStdString();
        }
    }
    LoadFrom(where);
}

void TForm1::LoadFrom(const TArchiveLocation& where)
{
    const QString previousStatus = StatusText();
    SetStatusText(QStringLiteral("Загрузка..."));
    TRecArray entries;
    try {
        entries = ReadDirectory(where);
    } catch (...) {
        // The previous archive stays open as it was, its status text too.
        SetStatusText(previousStatus);
        throw;
    }

    // The directory is read whole: now the open archive is replaced.
    listView_->setUpdatesEnabled(false);
    model_->SetRows(0);
    popupAttached_ = false;  // no row can be selected in the new list yet
    cat_.Entries = std::move(entries);
    cat_.RowOrder.resize(cat_.Entries.size());
    for (uint32_t i = 0; i < cat_.RowOrder.size(); ++i) cat_.RowOrder[i] = i;
    cat_.ArchivePath = where.ArchivePath;
    cat_.DirPath = where.DirPath;
    cat_.ArchiveKind = where.Kind;

    N8->menuAction()->setEnabled(true);
    N5->menuAction()->setEnabled(true);
    N7->setEnabled(false);
    N15->setEnabled(false);
    N32->setEnabled(false);
    N32->setChecked(false);
    findDialog_->SetFindText(QString());
    EnableForKind();

    // Rows carry no data of their own, so they are added all at once; the
    // progress still walks every row, shown only when the whole percentage
    // changes.
    const uint32_t n = uint32_t(cat_.Entries.size());
    uint32_t rows = 0;
    int shown = -1;
    for (uint32_t i = 0; i < n; ++i) {
        ++rows;
        const int p = LoadPercent(i, n);
        if (p != shown) {
            shown = p;
            SetStatusText(QStringLiteral("Загрузка: %1%").arg(p));
        }
        if (cat_.Closing) break;
    }
    model_->SetRows(rows);
    listView_->setUpdatesEnabled(true);

    SetStatusText(QStringLiteral("Загрузка завершена"));
    notebook_->setCurrentIndex(0);
    cat_.SortColumn = -1;
}
