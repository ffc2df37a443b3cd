#include "app/ServiceCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "app/ArchiveSession.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "app/SearchCommands.h"
#include "app/ShellIntegration.h"
#include "app/TranslatedWords.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "archive/ArchiveOpen.h"
#include "ops/ServiceOps.h"

using namespace korvane;

namespace {

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TServiceCommands::TServiceCommands(const TCommandContext& context, QMenuBar* bar, TSearchCommands& search,
                                   TReopen reopen)
    : ctx_(context), search_(search), reopen_(std::move(reopen))
{
    ServiceMenu = bar->addMenu(tr("Сервис"));
    ServiceMenu->setObjectName(QStringLiteral("N16"));
    RepackItem = AddAction(ServiceMenu, "N17", tr("Перепаковать архив"));
    CheckItem = AddAction(ServiceMenu, "N20", tr("Проверить архив"));
    ShellIntegrationItem = AddAction(ServiceMenu, "N22", tr("Интеграция в контекстное меню Проводника"));
    ShellIntegrationItem->setCheckable(true);
    ShellIntegrationItem->setVisible(false);
    // Nothing shows the menu.
    ServiceMenu->menuAction()->setVisible(false);

    auto wire = [this](QAction* action, void (TServiceCommands::*command)()) {
        QObject::connect(action, &QAction::triggered, action,
                         [this, command] { ctx_.Guard([this, command] { (this->*command)(); }); });
    };
    wire(ShellIntegrationItem, &TServiceCommands::ShellIntegration);
    wire(RepackItem, &TServiceCommands::Repack);
    wire(CheckItem, &TServiceCommands::Check);
}

void TServiceCommands::Repack()
{
    Catalogue& cat = ctx_.Session.Cat();
    // The menu offers it only for the two sector kinds.
    if (!IsSectorKind(cat.ArchiveKind) || cat.ArchivePath.empty()) return;
    // Repacking moves the data the undo steps point at: they go with it.
    if (ctx_.Session.History().CanUndo() || ctx_.Session.History().CanRedo()) {
        if (ctx_.Ask.Question(ctx_.Owner,
                              tr("После перепаковки отменить сделанные изменения будет нельзя. Продолжить?"),
                              tr("Перепаковать архив"), QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Question) != QMessageBox::Yes)
            return;
    }
    ctx_.Session.History().Clear();
    // The catalogue takes the new offsets as soon as the files hold them, so
    // that it matches the disk even if reading the archive back fails. The
    // old archive stays locked until the new one has taken its place.
    {
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        ops::Repack(ctx_.Session.Locked());
        ctx_.Session.MarkChanged();
    }

    // Read back from the very files just written, with the kind they had: the
    // directory may have been picked by hand, and for akImg the first entry's
    // data now starts the file and could look like another kind's magic.
    TArchiveLocation where;
    where.ArchivePath = cat.ArchivePath;
    where.DirPath = cat.DirPath;
    where.Kind = cat.ArchiveKind;
    reopen_(where);
}

void TServiceCommands::Check()
{
    const Catalogue& cat = ctx_.Session.Cat();
    TEntryListModel* model = &ctx_.Model;
    TEntryListView* list = &ctx_.List;
    if (!IsSectorKind(cat.ArchiveKind) || cat.ArchivePath.empty()) return;
    // An offending entry must have a row to be pointed at.
    if (search_.ShowResultsItem->isChecked() || model->Rows() < cat.Entries.size()) search_.SwitchFilterOff();

    list->clearSelection();
    ctx_.Status(tr("Проверка..."), false);
    QCoreApplication::processEvents();

    const TCheckResult result = ops::Check(cat);
    if (result.Outcome == TCheckOutcome::coPassed) {
        ctx_.Status(tr("Проверка завершена"), false);
        return;
    }

    // The rows showing the offending entries, whatever the sort.
    std::vector<int> rowOf(cat.Entries.size(), -1);
    for (uint32_t r = 0; r < model->Rows(); ++r) rowOf[ctx_.Order.RowOrder[r]] = int(r);
    std::vector<int> rows;
    for (uint32_t e : result.Entries)
        if (rowOf[e] >= 0) rows.push_back(rowOf[e]);
    list->SelectRows(rows);
    const int first = rowOf[result.Entries.front()];
    if (first >= 0) {
        list->SetCurrentRow(first);
        list->ScrollRowToTop(first);
    }

    ctx_.Status(tr("Найдена ошибка"), false);
    const TTranslatedWords words;
    const TCheckMessage message = CheckMessage(result.Outcome, words.Words());
    ctx_.Ask.Message(ctx_.Owner, QString::fromUtf8(message.Text.data(), qsizetype(message.Text.size())),
                     QString::fromUtf8(message.Caption.data(), qsizetype(message.Caption.size())),
                     QMessageBox::Critical);
}

void TServiceCommands::EnableActions()
{
    // The kind alone decides "Сервис": the check only reads, and a repack of
    // a write-protected archive stops at its start with "File access denied".
    // A hidden action always reports itself disabled, so the menu's own
    // enabled state carries it.
    const bool service = ctx_.Session.Serviceable();
    ServiceMenu->setEnabled(service);
    ServiceMenu->menuAction()->setEnabled(service);
}

void TServiceCommands::ShellIntegration()
{
    if (ShellIntegrationItem->isChecked())
        InstallShellIntegration(LocalPath(QCoreApplication::applicationFilePath()));
    else
        RemoveShellIntegration();
}
