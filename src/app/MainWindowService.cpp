// The "Сервис" menu's archive commands: repacking and the name check.
#include <QAction>
#include <QCoreApplication>
#include <QItemSelection>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>

#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "archive/ArchiveOpen.h"
#include "archive/QuickCheck.h"
#include "archive/Repack.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"

using namespace korvane;

void TForm1::N17Click()
{
    // The menu offers it only for the two sector kinds.
    if (!IsSectorKind(cat_.ArchiveKind) || cat_.ArchivePath.empty()) return;
    const std::vector<uint32_t> offsets = RepackArchive(cat_);

    // The files now hold the new offsets; the catalogue takes them at once,
    // so that it matches the disk even if reading the archive back fails.
    for (size_t i = 0; i < offsets.size(); ++i) cat_.Entries[i].Offset = offsets[i];
    listView_->viewport()->update();

    // Read back from the very files just written, with the kind they had: the
    // directory may have been picked by hand, and for akImg the first entry's
    // data now starts the file and could look like another kind's magic.
    TArchiveLocation where;
    where.ArchivePath = cat_.ArchivePath;
    where.DirPath = cat_.DirPath;
    where.Kind = cat_.ArchiveKind;
    LoadFrom(where);
}

void TForm1::SwitchFilterOff()
{
    // Exactly what unchecking "Показать результаты" does.
    N32->setChecked(false);
    N32Click();
}

void TForm1::N20Click()
{
    if (!IsSectorKind(cat_.ArchiveKind) || cat_.ArchivePath.empty()) return;
    // An offending entry must have a row to be pointed at.
    if (N32->isChecked() || model_->Rows() < cat_.Entries.size()) SwitchFilterOff();

    listView_->clearSelection();
    SetStatusText(QStringLiteral("Проверка..."));
    QCoreApplication::processEvents();

    const TCheckResult result = QuickCheck(cat_.Entries);
    if (result.Outcome == TCheckOutcome::coPassed) {
        SetStatusText(QStringLiteral("Проверка завершена"));
        return;
    }

    // The rows showing the offending entries, whatever the sort.
    std::vector<int> rowOf(cat_.Entries.size(), -1);
    for (uint32_t r = 0; r < model_->Rows(); ++r) rowOf[cat_.RowOrder[r]] = int(r);
    QItemSelection rows;
    for (uint32_t e : result.Entries)
        if (rowOf[e] >= 0) rows.select(model_->index(rowOf[e], 0), model_->index(rowOf[e], model_->columnCount() - 1));
    listView_->selectionModel()->select(rows, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int first = rowOf[result.Entries.front()];
    if (first >= 0) {
        listView_->selectionModel()->setCurrentIndex(model_->index(first, 0), QItemSelectionModel::NoUpdate);
        ScrollRowToTop(first);
    }

    SetStatusText(QStringLiteral("Найдена ошибка"));
    const TCheckMessage message = CheckMessage(result.Outcome);
    prompts_.Message(this, QString::fromUtf8(message.Text.data(), qsizetype(message.Text.size())),
                     QString::fromUtf8(message.Caption.data(), qsizetype(message.Caption.size())),
                     QMessageBox::Critical);
}
