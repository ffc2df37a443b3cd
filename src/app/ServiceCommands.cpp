#include "app/ServiceCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "app/LocalPaths.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/SearchCommands.h"
#include "app/ShellIntegration.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "archive/ArchiveOpen.h"
#include "archive/QuickCheck.h"
#include "archive/Repack.h"

using namespace korvane;

namespace {

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TServiceCommands::TServiceCommands(TForm1& form, QMenuBar* bar) : form_(form)
{
    N16 = bar->addMenu(QStringLiteral("Сервис"));
    N16->setObjectName(QStringLiteral("N16"));
    N17 = AddAction(N16, "N17", QStringLiteral("Перепаковать архив"));
    N20 = AddAction(N16, "N20", QStringLiteral("Проверить архив"));
    N22 = AddAction(N16, "N22", QStringLiteral("Интеграция в контекстное меню Проводника"));
    N22->setCheckable(true);
    N22->setVisible(false);
    // Nothing shows the menu.
    N16->menuAction()->setVisible(false);

    auto wire = [this](QAction* action, void (TServiceCommands::*command)()) {
        QObject::connect(action, &QAction::triggered, &form_, [this, command] { form_.Guard([this, command] { (this->*command)(); }); });
    };
    wire(N22, &TServiceCommands::ShellIntegration);
    wire(N17, &TServiceCommands::Repack);
    wire(N20, &TServiceCommands::Check);
}

void TServiceCommands::Repack()
{
    Catalogue& cat = form_.cat_;
    // The menu offers it only for the two sector kinds.
    if (!IsSectorKind(cat.ArchiveKind) || cat.ArchivePath.empty()) return;
    const std::vector<uint32_t> offsets = RepackArchive(cat);

    // The files now hold the new offsets; the catalogue takes them at once,
    // so that it matches the disk even if reading the archive back fails.
    for (size_t i = 0; i < offsets.size(); ++i) cat.Entries[i].Offset = offsets[i];
    form_.listView_->viewport()->update();

    // Read back from the very files just written, with the kind they had: the
    // directory may have been picked by hand, and for akImg the first entry's
    // data now starts the file and could look like another kind's magic.
    TArchiveLocation where;
    where.ArchivePath = cat.ArchivePath;
    where.DirPath = cat.DirPath;
    where.Kind = cat.ArchiveKind;
    form_.LoadFrom(where);
}

void TServiceCommands::Check()
{
    const Catalogue& cat = form_.cat_;
    TEntryListModel* model = form_.model_;
    TEntryListView* list = form_.listView_;
    if (!IsSectorKind(cat.ArchiveKind) || cat.ArchivePath.empty()) return;
    // An offending entry must have a row to be pointed at.
    if (form_.search_->N32->isChecked() || model->Rows() < cat.Entries.size()) form_.search_->SwitchFilterOff();

    list->clearSelection();
    form_.SetStatusText(QStringLiteral("Проверка..."));
    QCoreApplication::processEvents();

    const TCheckResult result = QuickCheck(cat.Entries);
    if (result.Outcome == TCheckOutcome::coPassed) {
        form_.SetStatusText(QStringLiteral("Проверка завершена"));
        return;
    }

    // The rows showing the offending entries, whatever the sort.
    std::vector<int> rowOf(cat.Entries.size(), -1);
    for (uint32_t r = 0; r < model->Rows(); ++r) rowOf[form_.rowOrder_.RowOrder[r]] = int(r);
    std::vector<int> rows;
    for (uint32_t e : result.Entries)
        if (rowOf[e] >= 0) rows.push_back(rowOf[e]);
    list->SelectRows(rows);
    const int first = rowOf[result.Entries.front()];
    if (first >= 0) {
        list->SetCurrentRow(first);
        list->ScrollRowToTop(first);
    }

    form_.SetStatusText(QStringLiteral("Найдена ошибка"));
    const TCheckMessage message = CheckMessage(result.Outcome);
    form_.prompts_.Message(&form_, QString::fromUtf8(message.Text.data(), qsizetype(message.Text.size())),
                           QString::fromUtf8(message.Caption.data(), qsizetype(message.Caption.size())),
                           QMessageBox::Critical);
}

void TServiceCommands::ShellIntegration()
{
    if (N22->isChecked())
        InstallShellIntegration(LocalPath(QCoreApplication::applicationFilePath()));
    else
        RemoveShellIntegration();
}
