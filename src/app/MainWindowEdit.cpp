// The editing commands of the "Правка" menu and the list's context menu.
// Each gathers the user's answers, runs the core operation, then brings the
// list rows in step with the catalogue.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QUrl>
#include <algorithm>

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/RenameDialog.h"
#include "archive/EntryOps.h"
#include "archive/NameCodec.h"
#include "app/list/EntryListModel.h"
#include "app/list/EntryListView.h"

using namespace korvane;

namespace {

std::string LocalFile(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString NameText(const TArchiveEntry& e) { return QString::fromStdString(Cp1251ToUtf8(EntryName(e))); }

// Repainting of the list stays off while several rows come or go; however the
// command ends, the list gets as many rows as the core left in `rows` and is
// repainted.
class TRowsInStep {
public:
    TRowsInStep(QTableView* view, TEntryListModel* model, bool suspend)
        : rows(model->Rows()), view_(view), model_(model), suspend_(suspend)
    {
        if (suspend_) view_->setUpdatesEnabled(false);
    }
    ~TRowsInStep()
    {
        model_->ResizeRows(rows);
        model_->RowsChanged();
        if (suspend_) view_->setUpdatesEnabled(true);
        view_->viewport()->update();
    }
    TRowsInStep(const TRowsInStep&) = delete;
    TRowsInStep& operator=(const TRowsInStep&) = delete;

    uint32_t rows;

private:
    QTableView* view_;
    TEntryListModel* model_;
    bool suspend_;
};

}  // namespace

void TForm1::BuildEditCommands()
{
    form2_ = new TForm2(this);
    const std::pair<QAction*, void (TForm1::*)()> commands[] = {
        {N9, &TForm1::N9Click},   {N10, &TForm1::N10Click}, {N11, &TForm1::N11Click}, {N12, &TForm1::N12Click},
        {N13, &TForm1::N13Click}, {N14, &TForm1::N14Click}, {N24, &TForm1::N11Click}, {N25, &TForm1::N12Click},
        {N26, &TForm1::N14Click}, {N28, &TForm1::N9Click},  {N29, &TForm1::N10Click},
    };
    for (const auto& [action, handler] : commands)
        connect(action, &QAction::triggered, this, [this, handler = handler] { Guard([this, handler] { (this->*handler)(); }); });
}

std::vector<int> TForm1::SelectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : listView_->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || uint32_t(r) >= model_->Rows(); }),
               rows.end());
    return rows;
}

// Selecting an added row leaves the preview and the menus as they were.
void TForm1::SelectRowQuietly(int row)
{
    QItemSelectionModel* selection = listView_->selectionModel();
    const QSignalBlocker quiet(selection);
    selection->select(model_->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void TForm1::N9Click()
{
    const int r = SelectedRow();
    if (r < 0) return;
    const uint32_t index = cat_.RowOrder[size_t(r)];
    const std::string path = OpenTempPath(cat_.Entries[index], LocalFile(QDir::tempPath()));
    ExtractEntry(cat_, index, path);
    // Whether an application took the file is not looked at; the copy stays.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
}

void TForm1::N10Click()
{
    const int r = SelectedRow();
    if (r < 0) return;
    const uint32_t index = cat_.RowOrder[size_t(r)];
    const QString name = NameText(cat_.Entries[index]);
    // The box holds 24 characters, or a longer name added in this session
    // whole, so that confirming it unchanged does not cut it in the list.
    form2_->Edit1->setMaxLength(std::max<int>(24, int(name.size())));
    form2_->Edit1->setText(name);
    form2_->setResult(QDialog::Rejected);
    prompts_.ShowModal(form2_);
    if (form2_->result() != QDialog::Accepted) return;
    RenameEntry(cat_, index, Utf8ToCp1251(form2_->Edit1->text().toStdString()));
    model_->RowsChanged();
    listView_->viewport()->update();
}

void TForm1::N11Click()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    if (rows.size() == 1) {
        const uint32_t index = cat_.RowOrder[size_t(rows[0])];
        const TArchiveEntry& e = cat_.Entries[index];
        const QString ext = QString::fromStdString(FilterExtension(EntryName(e)));
        const QString filter = QStringLiteral("Файл ") + ext + QStringLiteral("|*.") + ext + QStringLiteral("|Все файлы|*.*");
        const QString path = prompts_.SaveFile(this, DialogName(SaveDialog1), filter, NameText(e));
        if (path.isEmpty()) return;
        ExtractEntry(cat_, index, LocalFile(path));
        return;
    }
    const QString folder =
        prompts_.ChooseFolder(this, QStringLiteral("Укажите папку, в которую вы хотите извлечь выбранные файлы:"));
    if (folder.isEmpty()) return;
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(cat_.RowOrder[size_t(r)]);
    ExtractEntriesInto(cat_, indices, LocalFile(folder));
}

void TForm1::N12Click()
{
    const int r = SelectedRow();
    if (r < 0) return;
    const QStringList files = prompts_.OpenFiles(this, DialogName(OpenDialog3), DialogFilter(OpenDialog3));
    if (files.isEmpty()) return;
    const uint32_t index = cat_.RowOrder[size_t(r)];
    TReplaceResult result;
    {
        TRowsInStep step(listView_, model_, false);
        result = ReplaceEntry(cat_, step.rows, index, LocalFile(files.first()));
        if (result == TReplaceResult::rrMoved) {
            // The entry left its row and became the last one.
            model_->ResizeRows(step.rows - 1);
            model_->ResizeRows(step.rows);
            SelectRowQuietly(int(step.rows) - 1);
        }
    }
    if (result == TReplaceResult::rrInPlace) ListView1Click();
}

void TForm1::N13Click()
{
    const QStringList files = prompts_.OpenFiles(this, DialogName(OpenDialog3), DialogFilter(OpenDialog3));
    if (files.isEmpty()) return;
    TRowsInStep step(listView_, model_, true);
    for (const QString& file : files) {
        AddFileEntry(cat_, step.rows, LocalFile(file));
        model_->ResizeRows(step.rows);
        SelectRowQuietly(int(step.rows) - 1);
    }
}

void TForm1::N14Click()
{
    // With no row selected the question is still asked; nothing goes, and the
    // selection handler brings the menus in step.
    const std::vector<int> rows = SelectedRows();
    if (prompts_.Question(this, QStringLiteral("Вы действительно хотите удалить эти файлы?"),
                          QStringLiteral("Подтверждение удаления"), QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::Question) != QMessageBox::Yes)
        return;
    // From the highest index down, so the indices still to go stay valid.
    std::vector<uint32_t> indices;
    for (int r : rows) indices.push_back(cat_.RowOrder[size_t(r)]);
    std::sort(indices.rbegin(), indices.rend());
    {
        TRowsInStep step(listView_, model_, true);
        for (uint32_t index : indices) {
            RemoveEntry(cat_, step.rows, index);
            model_->ResizeRows(step.rows);  // the last row goes
        }
    }
    ListView1Click();
}
