#include "app/EditCommands.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QStyle>
#include <QUrl>
#include <algorithm>

#include "app/Dialogs.h"
#include "app/EntryDragOut.h"
#include "app/LocalPaths.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/RenameDialog.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"
#include "app/preview/PreviewPane.h"
#include "archive/EntryOps.h"
#include "archive/NameCodec.h"
#include "ops/ArchiveOps.h"
#include "ops/TextureOps.h"
#include "preview/TextureDictionaryEdit.h"

using namespace korvane;

namespace {

QString NameText(const TArchiveEntry& e) { return QString::fromStdString(Cp1251ToUtf8(EntryName(e))); }

QAction* AddAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TEditCommands::TEditCommands(TForm1& form, QMenuBar* bar) : form_(form)
{
    N8 = bar->addMenu(QStringLiteral("Правка"));
    N8->setObjectName(QStringLiteral("N8"));
    N9 = AddAction(N8, "N9", QStringLiteral("Открыть"));
    N10 = AddAction(N8, "N10", QStringLiteral("Переименовать"));
    N10->setShortcut(QKeySequence(Qt::Key_F2));
    N8->addSeparator()->setObjectName(QStringLiteral("N30"));
    N11 = AddAction(N8, "N11", QStringLiteral("Извлечь..."));
    N12 = AddAction(N8, "N12", QStringLiteral("Заменить..."));
    N13 = AddAction(N8, "N13", QStringLiteral("Добавить..."));
    N13->setShortcut(QKeySequence(Qt::Key_Insert));
    N14 = AddAction(N8, "N14", QStringLiteral("Удалить"));
    N14->setShortcut(QKeySequence(Qt::Key_Delete));

    PopupMenu1 = new QMenu(&form);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N24 = AddAction(PopupMenu1, "N24", QStringLiteral("Извлечь..."));
    N25 = AddAction(PopupMenu1, "N25", QStringLiteral("Заменить..."));
    N26 = AddAction(PopupMenu1, "N26", QStringLiteral("Удалить"));
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N27"));
    N28 = AddAction(PopupMenu1, "N28", QStringLiteral("Открыть"));
    N29 = AddAction(PopupMenu1, "N29", QStringLiteral("Переименовать"));

    Form2 = new TForm2(&form);
    DragOut = new TEntryDragOut(&form);

    const std::pair<QAction*, void (TEditCommands::*)()> commands[] = {
        {N9, &TEditCommands::Open},     {N10, &TEditCommands::Rename}, {N11, &TEditCommands::Extract},
        {N12, &TEditCommands::Replace}, {N13, &TEditCommands::Add},    {N14, &TEditCommands::Delete},
        {N24, &TEditCommands::Extract}, {N25, &TEditCommands::Replace}, {N26, &TEditCommands::Delete},
        {N28, &TEditCommands::Open},    {N29, &TEditCommands::Rename},
    };
    for (const auto& [action, command] : commands)
        QObject::connect(action, &QAction::triggered, &form,
                         [this, command = command] { form_.Guard([this, command] { (this->*command)(); }); });
    QObject::connect(form.listView_, &TEntryListView::DragStarted, &form,
                     [this] { form_.Guard([this] { StartDrag(); }); });
    form.notebook_->SetTextureChanger(
        [this](const TArchiveEntry& shown, const TTextureChange& change) { return ChangeTexture(shown, change); });
}

void TEditCommands::Open()
{
    const int r = form_.listView_->SelectedRow();
    if (r < 0) return;
    const Catalogue& cat = form_.cat_;
    const uint32_t index = form_.rowOrder_.RowOrder[size_t(r)];
    const std::string path = ExtractEntryForOpen(cat, index, LocalPath(QDir::tempPath()));
    // Whether an application took the file is not looked at; the copy stays.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

void TEditCommands::Rename()
{
    const int r = form_.listView_->SelectedRow();
    if (r < 0) return;
    const uint32_t index = form_.rowOrder_.RowOrder[size_t(r)];
    const QString name = NameText(form_.cat_.Entries[index]);
    // The box holds 24 characters, or a longer name added in this session
    // whole, so that confirming it unchanged does not cut it in the list.
    Form2->Edit1->setMaxLength(std::max<int>(24, int(name.size())));
    Form2->Edit1->setText(name);
    Form2->setResult(QDialog::Rejected);
    form_.prompts_.ShowModal(Form2);
    if (Form2->result() != QDialog::Accepted) return;
    TEntryChanges changes;
    ops::Rename(form_.cat_, index, Utf8ToCp1251(Form2->Edit1->text().toStdString()), changes);
    form_.model_->RowsChanged();
    form_.listView_->viewport()->update();
}

void TEditCommands::Extract()
{
    const std::vector<int> rows = form_.listView_->SelectedRows();
    if (rows.empty()) return;
    const Catalogue& cat = form_.cat_;
    Prompts& prompts = form_.prompts_;
    if (rows.size() == 1) {
        const uint32_t index = form_.rowOrder_.RowOrder[size_t(rows[0])];
        const TArchiveEntry& e = cat.Entries[index];
        const QString ext = QString::fromStdString(FilterExtension(EntryName(e)));
        const QString filter = QStringLiteral("Файл ") + ext + QStringLiteral("|*.") + ext + QStringLiteral("|Все файлы|*.*");
        const QString path = prompts.SaveFile(&form_, DialogName(SaveDialog1), filter, NameText(e));
        if (path.isEmpty()) return;
        ExtractEntry(cat, index, LocalPath(path));
        return;
    }
    const QString folder =
        prompts.ChooseFolder(&form_, QStringLiteral("Укажите папку, в которую вы хотите извлечь выбранные файлы:"));
    if (folder.isEmpty()) return;
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(form_.rowOrder_.RowOrder[size_t(r)]);
    ExtractEntriesInto(cat, indices, LocalPath(folder));
}

void TEditCommands::Replace()
{
    const int r = form_.listView_->SelectedRow();
    if (r < 0) return;
    const QStringList files = form_.prompts_.OpenFiles(&form_, DialogName(OpenDialog3), DialogFilter(OpenDialog3));
    if (files.isEmpty()) return;
    const uint32_t index = form_.rowOrder_.RowOrder[size_t(r)];
    TReplaceResult result;
    {
        TRowsInStep step(form_.cat_, form_.rowOrder_, *form_.model_, *form_.listView_, false);
        result = ops::Replace(form_.cat_, index, LocalPath(files.first()), step.Changes());
        if (result == TReplaceResult::rrMoved) {
            // The entry left its row and became the last one.
            const uint32_t rows = step.Rows();
            form_.model_->ResizeRows(rows - 1);
            form_.model_->ResizeRows(rows);
            form_.listView_->SelectRowQuietly(int(rows) - 1);
        }
    }
    if (result == TReplaceResult::rrInPlace) form_.ListView1Click();
}

void TEditCommands::Add()
{
    const QStringList files = form_.prompts_.OpenFiles(&form_, DialogName(OpenDialog3), DialogFilter(OpenDialog3));
    if (files.isEmpty()) return;
    TRowsInStep step(form_.cat_, form_.rowOrder_, *form_.model_, *form_.listView_, true);
    for (const QString& file : files) {
        ops::Add(form_.cat_, LocalPath(file), step.Changes());
        step.Follow();
        form_.listView_->SelectRowQuietly(int(step.Rows()) - 1);
    }
}

void TEditCommands::Delete()
{
    // With no row selected the question is still asked; nothing goes, and the
    // selection handler brings the menus in step.
    const std::vector<int> rows = form_.listView_->SelectedRows();
    if (form_.prompts_.Question(&form_, QStringLiteral("Вы действительно хотите удалить эти файлы?"),
                                QStringLiteral("Подтверждение удаления"), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::Question) != QMessageBox::Yes)
        return;
    // From the highest index down, so the indices still to go stay valid.
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(form_.rowOrder_.RowOrder[size_t(r)]);
    std::sort(indices.rbegin(), indices.rend());
    {
        TRowsInStep step(form_.cat_, form_.rowOrder_, *form_.model_, *form_.listView_, true);
        for (uint32_t index : indices) {
            ops::Delete(form_.cat_, {index}, step.Changes());
            step.Follow();  // the last row goes
        }
    }
    form_.ListView1Click();
}

void TEditCommands::StartDrag()
{
    TEntryListView* list = form_.listView_;
    const std::vector<int> rows = list->SelectedRows();
    if (rows.empty()) return;
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(form_.rowOrder_.RowOrder[size_t(r)]);
    // Everything is written before the drag starts: the target copies the
    // files as soon as they are dropped.
    QMimeData* mime = DragOut->Prepare(form_.cat_, indices);
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
    Catalogue& cat = form_.cat_;
    // The entry shown: the selected row's, unless the pane shows another
    // (it keeps its preview when the selection goes); found by its place and name.
    auto same = [&shown](const TArchiveEntry& e) {
        return e.Offset == shown.Offset && e.Size == shown.Size && EntryName(e) == EntryName(shown);
    };
    const int r = form_.listView_->SelectedRow();
    uint32_t index = r >= 0 ? form_.rowOrder_.RowOrder[size_t(r)] : UINT32_MAX;
    if (index == UINT32_MAX || !same(cat.Entries[index])) {
        const auto at = std::find_if(cat.Entries.begin(), cat.Entries.end(), same);
        if (at == cat.Entries.end()) throw EEntryError("The dictionary shown is no longer in the archive");
        index = uint32_t(at - cat.Entries.begin());
    }
    TTextureChangeResult result;
    {
        // The entry keeps its row and selection; the row shows its new place.
        TRowsInStep step(cat, form_.rowOrder_, *form_.model_, *form_.listView_, false);
        result = ops::ChangeTexture(cat, index, change, step.Changes());
    }
    form_.notebook_->Preview(cat, cat.Entries[index]);
    return result;
}
