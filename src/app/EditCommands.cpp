#include "app/EditCommands.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <set>

#include "app/ArchiveSession.h"
#include "app/UndoCapture.h"
#include "app/Dialogs.h"
#include "app/EntryDragOut.h"
#include "app/LocalPaths.h"
#include "app/Prompts.h"
#include "app/RenameDialog.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "app/preview/PreviewPane.h"
#include "base/NameCodec.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"
#include "ops/TextureOps.h"

using namespace korvane;

namespace {

QString NameText(const TArchiveEntry& e) { return QString::fromStdString(Cp1251ToUtf8(EntryName(e))); }

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

// The rows kept in step with the catalogue while a command changes entries
// (TRowsInStep), and the session told once they are, however the command ends.
class TEntriesChanging {
public:
    TEntriesChanging(const TCommandContext& ctx, bool suspend)
        : notice_{ctx.Session}, step_(ctx.Session.Cat(), ctx.Order, ctx.Model, ctx.List, suspend)
    {
    }
    korvane::TEntryChanges& Changes() { return step_.Changes(); }
    uint32_t Rows() { return step_.Rows(); }
    void Follow() { step_.Follow(); }

private:
    struct TNotice {
        TArchiveSession& session;
        ~TNotice() { session.MarkChanged(); }
    } notice_;  // declared first: it goes after the rows are in step
    TRowsInStep step_;
};

std::string RawName(const TArchiveEntry& e) { return std::string(EntryName(e)); }

}  // namespace

TEditCommands::TEditCommands(const TCommandContext& context, QMenuBar* bar, TPreviewPane& pane,
                             std::function<void()> selectionHandler)
    : ctx_(context), pane_(pane), selectionHandler_(std::move(selectionHandler))
{
    EditMenu = bar->addMenu(tr("Правка"));
    EditMenu->setObjectName(QStringLiteral("N8"));
    UndoItem = AddAction(EditMenu, "UndoItem", tr("Отменить"));
    UndoItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoItem = AddAction(EditMenu, "RedoItem", tr("Повторить"));
    RedoItem->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    EditMenu->addSeparator()->setObjectName(QStringLiteral("UndoSeparator"));
    OpenItem = AddAction(EditMenu, "N9", tr("Открыть"));
    RenameItem = AddAction(EditMenu, "N10", tr("Переименовать"));
    RenameItem->setShortcut(QKeySequence(Qt::Key_F2));
    EditMenu->addSeparator()->setObjectName(QStringLiteral("N30"));
    ExtractItem = AddAction(EditMenu, "N11", tr("Извлечь..."));
    ReplaceItem = AddAction(EditMenu, "N12", tr("Заменить..."));
    AddItem = AddAction(EditMenu, "N13", tr("Добавить..."));
    AddItem->setShortcut(QKeySequence(Qt::Key_Insert));
    ImportItem = AddAction(EditMenu, "ImportItem", tr("Импортировать..."));
    ImportFolderItem = AddAction(EditMenu, "ImportFolderItem", tr("Импортировать папку..."));
    DeleteItem = AddAction(EditMenu, "N14", tr("Удалить"));
    DeleteItem->setShortcut(QKeySequence(Qt::Key_Delete));

    ListMenu = new QMenu(ctx_.Owner);
    ListMenu->setObjectName(QStringLiteral("PopupMenu1"));
    ListExtractItem = AddAction(ListMenu, "N24", tr("Извлечь..."));
    ListReplaceItem = AddAction(ListMenu, "N25", tr("Заменить..."));
    ListDeleteItem = AddAction(ListMenu, "N26", tr("Удалить"));
    ListMenu->addSeparator()->setObjectName(QStringLiteral("N27"));
    ListOpenItem = AddAction(ListMenu, "N28", tr("Открыть"));
    ListRenameItem = AddAction(ListMenu, "N29", tr("Переименовать"));

    RenameDialog = new TRenameDialog(ctx_.Owner);
    DragOut = new TEntryDragOut(ctx_.Owner);

    const std::pair<QAction*, void (TEditCommands::*)()> commands[] = {
        {OpenItem, &TEditCommands::Open},
        {RenameItem, &TEditCommands::Rename},
        {ExtractItem, &TEditCommands::Extract},
        {ReplaceItem, &TEditCommands::Replace},
        {AddItem, &TEditCommands::Add},
        {ImportItem, &TEditCommands::ImportFiles},
        {ImportFolderItem, &TEditCommands::ImportFolder},
        {DeleteItem, &TEditCommands::Delete},
        {UndoItem, &TEditCommands::Undo},
        {RedoItem, &TEditCommands::Redo},
        {ListExtractItem, &TEditCommands::Extract},
        {ListReplaceItem, &TEditCommands::Replace},
        {ListDeleteItem, &TEditCommands::Delete},
        {ListOpenItem, &TEditCommands::Open},
        {ListRenameItem, &TEditCommands::Rename},
    };
    for (const auto& [action, command] : commands)
        QObject::connect(action, &QAction::triggered, action,
                         [this, command = command] {
                             ctx_.Guard([this, command] { (this->*command)(); });
                             UpdateUndoItems();
                         });
    QObject::connect(&ctx_.List, &TEntryListView::DragStarted, &ctx_.List,
                     [this] { ctx_.Guard([this] { StartDrag(); }); });
    pane_.SetTextureChanger(
        [this](const TArchiveEntry& shown, const TTextureChange& change) { return ChangeTexture(shown, change); });
}

void TEditCommands::Open()
{
    const int r = ctx_.List.SelectedRow();
    if (r < 0) return;
    const Catalogue& cat = ctx_.Session.Cat();
    const uint32_t index = ctx_.Order.RowOrder[size_t(r)];
    const std::string path = ops::ExtractForOpen(cat, index, LocalPath(QDir::tempPath()));
    // Whether an application took the file is not looked at; the copy stays.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

void TEditCommands::Rename()
{
    const int r = ctx_.List.SelectedRow();
    if (r < 0) return;
    Catalogue& cat = ctx_.Session.Cat();
    const uint32_t index = ctx_.Order.RowOrder[size_t(r)];
    const QString name = NameText(cat.Entries[index]);
    // The box holds 24 characters, or a longer name added in this session
    // whole, so that confirming it unchanged does not cut it in the list.
    RenameDialog->NameEdit->setMaxLength(std::max<int>(24, int(name.size())));
    RenameDialog->NameEdit->setText(name);
    RenameDialog->setResult(QDialog::Rejected);
    ctx_.Ask.ShowModal(RenameDialog);
    if (RenameDialog->result() != QDialog::Accepted) return;
    const std::string newName = Utf8ToCp1251(RenameDialog->NameEdit->text().toStdString());
    const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
    const TUndoCapture undo(ctx_.Session, tr("переименование записи"), {RawName(cat.Entries[index]), newName});
    TEntriesChanging step(ctx_, false);
    ops::Rename(ctx_.Session.Locked(), index, newName, step.Changes());
}

void TEditCommands::Extract()
{
    const std::vector<int> rows = ctx_.List.SelectedRows();
    if (rows.empty()) return;
    const Catalogue& cat = ctx_.Session.Cat();
    Prompts& prompts = ctx_.Ask;
    if (rows.size() == 1) {
        const uint32_t index = ctx_.Order.RowOrder[size_t(rows[0])];
        const TArchiveEntry& e = cat.Entries[index];
        const QString ext = QString::fromStdString(FilterExtension(EntryName(e)));
        const QString filter = tr("Файл %1|*.%1|Все файлы|*.*").arg(ext);
        const QString path = prompts.SaveFile(ctx_.Owner, DialogName(ExtractDialog), filter, NameText(e));
        if (path.isEmpty()) return;
        ops::Extract(cat, index, LocalPath(path));
        return;
    }
    const QString folder =
        prompts.ChooseFolder(ctx_.Owner, tr("Укажите папку, в которую вы хотите извлечь выбранные файлы:"));
    if (folder.isEmpty()) return;
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(ctx_.Order.RowOrder[size_t(r)]);
    ops::ExtractInto(cat, indices, LocalPath(folder));
}

void TEditCommands::Replace()
{
    const int r = ctx_.List.SelectedRow();
    if (r < 0) return;
    const QStringList files =
        ctx_.Ask.OpenFiles(ctx_.Owner, DialogName(EntryFilesDialog), DialogFilter(EntryFilesDialog));
    if (files.isEmpty()) return;
    Catalogue& cat = ctx_.Session.Cat();
    const uint32_t index = ctx_.Order.RowOrder[size_t(r)];
    TReplaceResult result;
    {
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        const TUndoCapture undo(ctx_.Session, tr("замена записи"),
                                {RawName(cat.Entries[index]), EntryNameFromPath(LocalPath(files.first()))});
        TEntriesChanging step(ctx_, false);
        result = ops::Replace(ctx_.Session.Locked(), index, LocalPath(files.first()), step.Changes());
        if (result == TReplaceResult::rrMoved) {
            // The entry left its row and became the last one.
            const uint32_t rows = step.Rows();
            ctx_.Model.ResizeRows(rows - 1);
            ctx_.Model.ResizeRows(rows);
            ctx_.List.SelectRowQuietly(int(rows) - 1);
        }
    }
    if (result == TReplaceResult::rrInPlace) selectionHandler_();
}

void TEditCommands::Add()
{
    const QStringList files =
        ctx_.Ask.OpenFiles(ctx_.Owner, DialogName(EntryFilesDialog), DialogFilter(EntryFilesDialog));
    if (files.isEmpty()) return;
    // One lock for the whole command: no other program's change comes between its files.
    const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
    // One change: every file is added, or none.
    std::vector<std::string> paths;
    std::set<std::string> names;
    for (const QString& file : files) {
        paths.push_back(LocalPath(file));
        names.insert(EntryNameFromPath(paths.back()));
    }
    const TUndoCapture undo(ctx_.Session, RussianSingular(paths.size()) ? tr("добавление %n записи", nullptr, int(paths.size()))
                                                          : tr("добавление %n записей", nullptr, int(paths.size())),
                            names);
    TEntriesChanging step(ctx_, true);
    const uint32_t before = step.Rows();
    ops::Add(ctx_.Session.Locked(), paths, step.Changes());
    step.Follow();
    for (uint32_t row = before; row < step.Rows(); ++row) ctx_.List.SelectRowQuietly(int(row));
}

void TEditCommands::ImportFiles()
{
    const QStringList files =
        ctx_.Ask.OpenFiles(ctx_.Owner, DialogName(EntryFilesDialog), DialogFilter(EntryFilesDialog));
    std::vector<std::string> paths;
    for (const QString& file : files) paths.push_back(LocalPath(file));
    if (!paths.empty()) Import(paths);
}

void TEditCommands::ImportFolder()
{
    const QString folder =
        ctx_.Ask.ChooseFolder(ctx_.Owner, tr("Укажите папку, файлы которой вы хотите импортировать:"));
    if (!folder.isEmpty()) Import({LocalPath(folder)});
}

bool TEditCommands::ImportDropped(const std::vector<std::string>& paths)
{
    if (!ctx_.Session.Editable()) return false;
    bool replaces = false;
    try {
        for (const ops::TImportStep& step : ops::PlanImport(ctx_.Session.Cat(), ops::ImportFiles(paths), true))
            replaces = replaces || step.Replaces;
    } catch (const std::exception&) {
        return false;  // not files to import: the drop is an archive to open
    }
    if (!replaces) return false;
    Import(paths);
    UpdateUndoItems();
    return true;
}

void TEditCommands::Import(const std::vector<std::string>& operands)
{
    // Names are stored as Добавить... stores them; the list shows them so.
    std::vector<ops::TImportStep> plan = ops::PlanImport(ctx_.Session.Cat(), ops::ImportFiles(operands), true);
    if (plan.empty()) return;
    QDialog confirm(ctx_.Owner);
    confirm.setObjectName(QStringLiteral("ImportDialog"));
    confirm.setWindowTitle(tr("Импорт"));
    auto* layout = new QVBoxLayout(&confirm);
    layout->addWidget(new QLabel(tr("Будут заменены и добавлены эти файлы:"), &confirm));
    auto* list = new QListWidget(&confirm);
    for (const ops::TImportStep& step : plan) {
        const QString name = QString::fromStdString(Cp1251ToUtf8(step.Name));
        list->addItem(step.Replaces ? tr("Заменить: %1").arg(name) : tr("Добавить: %1").arg(name));
    }
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &confirm);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &confirm, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &confirm, &QDialog::reject);
    layout->addWidget(buttons);
    confirm.setResult(QDialog::Rejected);
    ctx_.Ask.ShowModal(&confirm);
    if (confirm.result() != QDialog::Accepted) return;
    {
        // One lock and one change: the plan holds while the directory is the
        // one it was made from, which the lock makes sure of.
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        std::set<std::string> names;
        for (const ops::TImportStep& s : plan) names.insert(s.Name);
        const int n = int(plan.size());
        const TUndoCapture undo(
            ctx_.Session,
            RussianSingular(size_t(n)) ? tr("импорт %n файла", nullptr, n) : tr("импорт %n файлов", nullptr, n), names);
        TEntriesChanging step(ctx_, true);
        ops::Import(ctx_.Session.Locked(), plan, step.Changes());
        step.Follow();
        std::vector<bool> imported(ctx_.Session.Cat().Entries.size());
        for (const ops::TImportStep& s : plan) imported[s.Entry] = true;
        for (uint32_t row = 0; row < step.Rows(); ++row)
            if (imported[ctx_.Order.RowOrder[row]]) ctx_.List.SelectRowQuietly(int(row));
    }
    // The entry shown may have new data.
    selectionHandler_();
}

void TEditCommands::Delete()
{
    // With no row selected the question is still asked; nothing goes, and the
    // selection handler brings the menus in step.
    const std::vector<int> rows = ctx_.List.SelectedRows();
    if (ctx_.Ask.Question(ctx_.Owner, tr("Вы действительно хотите удалить эти файлы?"),
                          tr("Подтверждение удаления"), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Question) != QMessageBox::Yes)
        return;
    // All of them as one change: every entry goes, or none.
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(ctx_.Order.RowOrder[size_t(r)]);
    if (!indices.empty()) {
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        std::set<std::string> names;
        for (uint32_t index : indices) names.insert(RawName(ctx_.Session.Cat().Entries[index]));
        const int n = int(std::set<uint32_t>(indices.begin(), indices.end()).size());
        const TUndoCapture undo(
            ctx_.Session,
            RussianSingular(size_t(n)) ? tr("удаление %n записи", nullptr, n) : tr("удаление %n записей", nullptr, n),
            names);
        TEntriesChanging step(ctx_, true);
        ops::Delete(ctx_.Session.Locked(), indices, step.Changes());
        step.Follow();
    }
    selectionHandler_();
}

void TEditCommands::StartDrag()
{
    TEntryListView* list = &ctx_.List;
    const std::vector<int> rows = list->SelectedRows();
    if (rows.empty()) return;
    const Catalogue& cat = ctx_.Session.Cat();
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(ctx_.Order.RowOrder[size_t(r)]);
    // Everything is written before the drag starts: the target copies the
    // files as soon as they are dropped.
    QMimeData* mime = DragOut->Prepare(cat, indices);
    auto* drag = new QDrag(list);
    drag->setMimeData(mime);
    drag->setPixmap(list->style()->standardIcon(QStyle::SP_FileIcon).pixmap(32));
    const QPointer<QDrag> done(drag);
    // A copy: the entries stay in the archive.
    DragOut->Exec(drag, Qt::CopyAction);
    // Qt usually disposes of a finished drag itself; whatever is left goes too.
    if (done) done->deleteLater();
}

TTextureChangeResult TEditCommands::ChangeTexture(const TArchiveEntry& shown, const TTextureChange& change)
{
    Catalogue& cat = ctx_.Session.Cat();
    // The entry shown: the selected row's, unless the pane shows another
    // (it keeps its preview when the selection goes); found by its place and name.
    auto same = [&shown](const TArchiveEntry& e) {
        return e.Offset == shown.Offset && e.Size == shown.Size && EntryName(e) == EntryName(shown);
    };
    const int r = ctx_.List.SelectedRow();
    uint32_t index = r >= 0 ? ctx_.Order.RowOrder[size_t(r)] : UINT32_MAX;
    if (index == UINT32_MAX || !same(cat.Entries[index])) {
        const auto at = std::find_if(cat.Entries.begin(), cat.Entries.end(), same);
        if (at == cat.Entries.end()) throw EEntryError("The dictionary shown is no longer in the archive");
        index = uint32_t(at - cat.Entries.begin());
    }
    TTextureChangeResult result;
    {
        const TSessionLock lock(ctx_.Session, ctx_.LockForChange());
        const TUndoCapture undo(ctx_.Session, tr("изменение текстуры"), {RawName(cat.Entries[index])});
        // The entry keeps its row and selection; the row shows its new place.
        TEntriesChanging step(ctx_, false);
        result = ops::ChangeTexture(ctx_.Session.Locked(), index, change, step.Changes());
    }
    pane_.Preview(cat, cat.Entries[index], ctx_.Session.Editable());
    return result;
}

void TEditCommands::EnableActions(bool selectionSeen, bool rowSelected)
{
    const bool editable = ctx_.Session.Editable();
    // Right after an archive is opened the kind alone decides the row
    // commands; from the selection handler's first run on, the row it found.
    const bool editRow = editable && (selectionSeen ? rowSelected : true);
    EditMenu->menuAction()->setEnabled(ctx_.Session.Opened());
    for (QAction* a : {OpenItem, ExtractItem}) a->setEnabled(rowSelected);
    for (QAction* a : {RenameItem, ReplaceItem, DeleteItem}) a->setEnabled(editRow);
    for (QAction* a : {AddItem, ImportItem, ImportFolderItem, ListReplaceItem, ListDeleteItem, ListRenameItem}) a->setEnabled(editable);
    UpdateUndoItems();
}
