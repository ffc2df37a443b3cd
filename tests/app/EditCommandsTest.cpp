// The editing commands driven through the real menus, dialogs and list, with
// every change checked in the files and by opening the archive again.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <unistd.h>

#include "AppFixture.h"
#include "app/RenameDialog.h"
#include "app/list/EntryListModel.h"
#include "archive/SectorDirectory.h"
#include "support/ArchiveWriters.h"
#include "support/ExtractLinkCases.h"

using namespace korvane;

namespace {

std::string Bytes(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 5 + size_t(seed) * 37 + 9) % 241);
    return s;
}

// Stands in for the desktop's file opener.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

}  // namespace

class EditCommandsTest : public WindowTest {
protected:
    QTableView* List() { return form->ListView(); }
    void ClickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QRect rect = List()->visualRect(List()->model()->index(row, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, mods, rect.center());
    }
    void Trigger(const char* name) { Find<QAction>(name)->trigger(); }
    QStringList Names()
    {
        QStringList out;
        for (int r = 0; r < form->ListModel()->rowCount(); ++r) out << form->ListModel()->CellText(r, 1);
        return out;
    }
    QList<int> Selected()
    {
        QList<int> rows;
        for (const QModelIndex& i : List()->selectionModel()->selectedRows()) rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // Opens the archive again and returns its names in list order.
    QStringList Reopened()
    {
        form->Load(form->Cat().ArchivePath);
        return Names();
    }
    // A two-file archive of n one-sector entries F0.DAT ... with their data (not
    // dictionaries, so selecting a row previews nothing).
    std::string Img(int n)
    {
        std::vector<TDirRecord> records;
        std::string data;
        for (int i = 0; i < n; ++i) {
            records.push_back({uint32_t(i), 1, "F" + std::to_string(i) + ".DAT"});
            data += Bytes(2048, i);
        }
        WriteBytes(dir.File("a.dir"), ImgDirBytes(records));
        WriteBytes(dir.File("a.img"), data);
        return dir.File("a.img");
    }
    std::string Source(const std::string& name, const std::string& bytes)
    {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
};

TEST_F(EditCommandsTest, AddAppendsSelectedRowsWhileTheListWaits)
{
    Start({Q(Img(3))});
    ClickRow(0);
    Find<QAction>("N9")->setEnabled(false);  // shows whether the selection handler ran
    QList<bool> updatesDuringInsert;
    QObject::connect(form->ListModel(), &QAbstractItemModel::rowsInserted,
                     [&] { updatesDuringInsert << List()->updatesEnabled(); });

    const std::string one = Source("one.dff", Bytes(5000, 1)), two = Source("two.txd", "");
    prompts.AnswerOpenMany({Q(one), Q(two)});
    Trigger("N13");
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "openMany");
    EXPECT_EQ(prompts.calls[0].dialog, "OpenDialog3");
    EXPECT_EQ(prompts.calls[0].filter, "Все файлы|*.*");
    EXPECT_EQ(updatesDuringInsert, QList<bool>({false}));  // one change, one insertion
    EXPECT_TRUE(List()->updatesEnabled());
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "F1.DAT", "F2.DAT", "one.dff", "two.txd"}));
    EXPECT_EQ(Selected(), QList<int>({0, 3, 4}));
    EXPECT_FALSE(Find<QAction>("N9")->isEnabled());  // preview and menus left as they were

    const std::string img = ReadBytes(dir.File("a.img"));
    EXPECT_EQ(img.substr(3 * 2048), Bytes(5000, 1) + std::string(3 * 2048 - 5000, '\0'));
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(96), DirRecordBytes({3, 3, "one.dff"}) + DirRecordBytes({6, 0, "two.txd"}));
    EXPECT_EQ(Reopened(), QStringList({"F0.DAT", "F1.DAT", "F2.DAT", "one.dff", "two.txd"}));
}

// The files are one change: one that cannot be read adds none of them.
TEST_F(EditCommandsTest, AFailingAddKeepsTheRowsInStepWithTheCatalogue)
{
    Start({Q(Img(2))});
    const std::string img = ReadBytes(dir.File("a.img"));
    prompts.AnswerOpenMany({Q(Source("ok.bin", "x")), Q(dir.File("missing.bin")), Q(Source("later.bin", "y"))});
    Trigger("N13");
    EXPECT_EQ(prompts.Messages(), QStringList({"File not found."}));
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "F1.DAT"}));
    EXPECT_EQ(form->Cat().Entries.size(), 2u);
    EXPECT_TRUE(List()->updatesEnabled());
    EXPECT_EQ(Reopened(), QStringList({"F0.DAT", "F1.DAT"}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img);  // ok.bin's sector cut off again
}

// The confirmation lists what is replaced and what added; Отмена writes
// nothing, OK makes it one change. By hand: new.bin becomes entry 4; f2.dat
// (2049 bytes) leaves F2.DAT's sector for the last row, F3.DAT and new.bin
// moving up; F1.DAT's data is appended (the window keeps old bytes for undo).
TEST_F(EditCommandsTest, ImportConfirmsThenReplacesByNameAndAddsTheRest)
{
    Start({Q(Img(4))});
    std::filesystem::create_directory(dir.File("in"));
    const std::string f1 = Source("in/F1.DAT", Bytes(2048, 7)), f2 = Source("in/f2.dat", Bytes(2049, 8)),
                      added = Source("in/new.bin", "n");
    const std::string img = ReadBytes(dir.File("a.img")), dirBytes = ReadBytes(dir.File("a.dir"));
    QStringList shown;
    prompts.onModal = [&](QDialog* d) {
        for (QListWidgetItem* item : d->findChild<QListWidget*>()->findItems("*", Qt::MatchWildcard)) shown << item->text();
        d->reject();
    };
    prompts.AnswerFolder(Q(dir.File("in")));
    Trigger("ImportFolderItem");
    EXPECT_EQ(shown, QStringList({"Заменить: F1.DAT", "Заменить: f2.dat", "Добавить: new.bin"}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);

    prompts.onModal = [](QDialog* d) { d->accept(); };
    prompts.AnswerOpenMany({Q(f2), Q(added), Q(f1)});
    Trigger("ImportItem");
    EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("|").toStdString();
    const QStringList after = {"F0.DAT", "F1.DAT", "F3.DAT", "new.bin", "f2.dat"};
    EXPECT_EQ(Names(), after);
    EXPECT_EQ(Selected(), QList<int>({1, 3, 4}));
    // F1.DAT fits its sector, but the window appends it: the old bytes stay for an undo.
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({{0, 1, "F0.DAT"}, {7, 1, "F1.DAT"}, {3, 1, "F3.DAT"},
                                                         {4, 1, "new.bin"}, {5, 2, "f2.dat"}}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img + "n" + std::string(2047, '\0') + Bytes(2049, 8) +
                                                std::string(2047, '\0') + Bytes(2048, 7));
    EXPECT_EQ(Reopened(), after);
    EXPECT_EQ(Find<QAction>("UndoItem")->text(), "Отменить: импорт 3 файлов");
    Trigger("UndoItem");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
}

TEST_F(EditCommandsTest, DeleteAsksThenRemovesExactlyTheSelectedRows)
{
    Start({Q(Img(10))});
    const std::string before = ReadBytes(dir.File("a.dir"));
    ClickRow(3);
    ClickRow(4, Qt::ShiftModifier);
    prompts.AnswerQuestion(QMessageBox::No);
    Trigger("N14");
    ASSERT_EQ(prompts.calls.size(), 1u);
    const TPromptCall& q = prompts.calls[0];
    EXPECT_EQ(q.text, "Вы действительно хотите удалить эти файлы?");
    EXPECT_EQ(q.caption, "Подтверждение удаления");
    EXPECT_EQ(q.icon, QMessageBox::Question);
    EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), before);
    EXPECT_EQ(form->ListModel()->rowCount(), 10);

    QList<bool> updatesDuringRemove;
    QObject::connect(form->ListModel(), &QAbstractItemModel::rowsRemoved,
                     [&] { updatesDuringRemove << List()->updatesEnabled(); });
    Find<QAction>("N9")->setEnabled(false);
    prompts.AnswerQuestion(QMessageBox::Yes);
    Trigger("N14");
    EXPECT_EQ(updatesDuringRemove, QList<bool>({false}));  // one change
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), before.substr(0, 96) + before.substr(160));
    const QStringList left = {"F0.DAT", "F1.DAT", "F2.DAT", "F5.DAT", "F6.DAT", "F7.DAT", "F8.DAT", "F9.DAT"};
    EXPECT_EQ(Names(), left);
    EXPECT_EQ(Selected(), QList<int>({3, 4}));  // kept by position
    EXPECT_TRUE(Find<QAction>("N9")->isEnabled());  // the selection handler ran
    EXPECT_EQ(Reopened(), left);
}

TEST_F(EditCommandsTest, DeleteWithNoRowSelectedAsksAndRemovesNothing)
{
    Start({Q(Img(2))});
    const std::string before = ReadBytes(dir.File("a.dir"));
    ASSERT_TRUE(Find<QAction>("N14")->isEnabled());  // by the archive's kind, before any click
    prompts.AnswerQuestion(QMessageBox::Yes);
    Trigger("N14");
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "question");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), before);
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "F1.DAT"}));
    EXPECT_FALSE(Find<QAction>("N14")->isEnabled());  // the selection handler ran
}

TEST_F(EditCommandsTest, DeletingTheOnlyEntryEmptiesTheList)
{
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "ONLY.DAT"}}, 4096));
    Start({Q(dir.File("v.img"))});
    ClickRow(0);
    prompts.AnswerQuestion(QMessageBox::Yes);
    Trigger("N14");
    EXPECT_EQ(form->ListModel()->rowCount(), 0);
    EXPECT_EQ(ReadBytes(dir.File("v.img")).substr(0, 8), "VER2" + LE32(0));
    EXPECT_FALSE(Find<QAction>("N9")->isEnabled());
    EXPECT_EQ(form->ListPopupMenu(), nullptr);
}

TEST_F(EditCommandsTest, CommandsOnASortedListActOnTheShownEntry)
{
    Start({Q(Img(5))});
    form->SortList(1);
    form->SortList(1);  // F4 ... F0
    ClickRow(1);                     // F3
    prompts.onModal = [](QDialog* d) {
        auto* edit = d->findChild<QLineEdit*>("Edit1");
        edit->setText("RENAMED.DAT");
        d->accept();
    };
    Trigger("N29");
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "RENAMED.DAT");
    EXPECT_EQ(form->ListModel()->CellText(1, 0), "3");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(3 * 32, 32), DirRecordBytes({3, 1, "RENAMED.DAT"}));

    prompts.AnswerSave(Q(dir.File("out.bin")));
    Trigger("N24");
    EXPECT_EQ(ReadBytes(dir.File("out.bin")), Bytes(2048, 3));

    prompts.AnswerOpenMany({Q(Source("new3.bin", "333"))});
    Trigger("N25");
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "new3.bin");
    // Appended (the window keeps the old bytes for an undo), in the entry's own slot.
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(5 * 2048, 3), "333");
    // The record keeps the old name's tail behind the new zero.
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(3 * 32, 32), DirRecordBytes({5, 1, std::string("new3.bin\0AT", 11)}));

    prompts.AnswerOpenMany({Q(Source("added.bin", "z"))});
    Trigger("N13");
    EXPECT_EQ(form->ListModel()->CellText(5, 1), "added.bin");

    prompts.AnswerQuestion(QMessageBox::Yes);
    ClickRow(1);
    Trigger("N26");
    EXPECT_EQ(Names(), QStringList({"F4.DAT", "F2.DAT", "F1.DAT", "F0.DAT", "added.bin"}));
    EXPECT_EQ(Reopened(), QStringList({"F0.DAT", "F1.DAT", "F2.DAT", "F4.DAT", "added.bin"}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(4 * 2048, 2048), Bytes(2048, 4));
}

TEST_F(EditCommandsTest, RenameDialogTakesAtMost24CharactersAndCancelChangesNothing)
{
    Start({Q(Img(2))});
    ClickRow(1);
    prompts.onModal = [](QDialog* d) {
        auto* renameBox = qobject_cast<TRenameDialog*>(d);
        ASSERT_NE(renameBox, nullptr);
        EXPECT_EQ(d->windowTitle(), "Переименование");
        EXPECT_EQ(renameBox->NameLabel->text(), "Новое имя:");
        EXPECT_EQ(renameBox->OkButton->text(), "OK");
        EXPECT_TRUE(renameBox->OkButton->isDefault());
        EXPECT_EQ(renameBox->CancelButton->text(), "Отмена");
        EXPECT_EQ(renameBox->NameEdit->maxLength(), 24);
        EXPECT_EQ(renameBox->NameEdit->text(), "F1.DAT");
        d->show();
        QTest::keyClick(renameBox->NameEdit, Qt::Key_A, Qt::ControlModifier);
        renameBox->NameEdit->insert(QStringLiteral("Привет-"));  // typed; the test keyboard knows only ASCII
        QTest::keyClicks(renameBox->NameEdit, "0123456789012345678901234");
        EXPECT_EQ(renameBox->NameEdit->text(), "Привет-01234567890123456");
        QTest::keyClick(renameBox->NameEdit, Qt::Key_Return);
    };
    Trigger("N10");
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].dialog, "Form2");
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "Привет-01234567890123456");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32 + 8, 24), "\xCF\xF0\xE8\xE2\xE5\xF2-01234567890123456");

    prompts.onModal = [](QDialog* d) {
        d->findChild<QLineEdit*>("Edit1")->setText("OTHER");
        QTest::mouseClick(d->findChild<QPushButton*>("Button2"), Qt::LeftButton);
    };
    const std::string dirBytes = ReadBytes(dir.File("a.dir"));
    Trigger("N10");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "Привет-01234567890123456");

    // An empty name is taken as it is.
    prompts.onModal = [](QDialog* d) {
        d->findChild<QLineEdit*>("Edit1")->clear();
        d->accept();
    };
    Trigger("N10");
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "");
    EXPECT_EQ(ReadBytes(dir.File("a.dir"))[32 + 8], '\0');
    EXPECT_EQ(Reopened(), QStringList({"F0.DAT", ""}));

    // A longer name added in this session is offered whole and stays whole
    // in the list when confirmed unchanged.
    const QString longName = "abcdefghijklmnopqrstuvwxyz.txt";
    prompts.AnswerOpenMany({Q(Source(longName.toStdString(), "x"))});
    Trigger("N13");
    ClickRow(2);
    prompts.onModal = [&](QDialog* d) {
        EXPECT_EQ(d->findChild<QLineEdit*>("Edit1")->text(), longName);
        d->accept();
    };
    Trigger("N10");
    EXPECT_EQ(form->ListModel()->CellText(2, 1), longName);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(64 + 8, 24), longName.left(24).toStdString());
}

TEST_F(EditCommandsTest, ExtractingOneRowAsksWhereWithTheEntrysExtension)
{
    WriteBytes(dir.File("a.img"), Bytes(3 * 2048, 5));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 2, "car.dat"}, {2, 1, "README"}}));
    Start({Q(dir.File("a.img"))});
    ClickRow(0);
    prompts.AnswerSave(Q(dir.File("car copy.dat")));
    Trigger("N11");
    EXPECT_EQ(prompts.calls[0].kind, "save");
    EXPECT_EQ(prompts.calls[0].dialog, "SaveDialog1");
    EXPECT_EQ(prompts.calls[0].filter, "Файл DAT|*.DAT|Все файлы|*.*");
    EXPECT_EQ(prompts.calls[0].text, "car.dat");
    EXPECT_EQ(ReadBytes(dir.File("car copy.dat")), Bytes(3 * 2048, 5).substr(0, 4096));

    ClickRow(1);
    prompts.AnswerSave(QString());
    Trigger("N11");
    EXPECT_EQ(prompts.calls[1].filter, "Файл |*.|Все файлы|*.*");
    EXPECT_EQ(prompts.calls[1].text, "README");
    EXPECT_FALSE(std::filesystem::exists(dir.File("README")));
}

TEST_F(EditCommandsTest, ExtractingSeveralRowsWritesThemIntoTheChosenFolder)
{
    WriteBytes(dir.File("a.img"), Bytes(4 * 2048, 6));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "a.bin"}, {1, 1, "sub\\b.dff"}, {2, 1, "..\\c.ipl"}, {3, 1, "d"}}));
    std::filesystem::create_directories(dir.File("out/sub"));
    Start({Q(dir.File("a.img"))});
    ClickRow(0);
    ClickRow(3, Qt::ShiftModifier);
    prompts.AnswerFolder(Q(dir.File("out")));
    Trigger("N11");
    ASSERT_GE(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "folder");
    EXPECT_EQ(prompts.calls[0].text, "Укажите папку, в которую вы хотите извлечь выбранные файлы:");
    const std::string all = Bytes(4 * 2048, 6);
    EXPECT_EQ(ReadBytes(dir.File("out/a.bin")), all.substr(0, 2048));
    EXPECT_EQ(ReadBytes(dir.File("out/sub/b.dff")), all.substr(2048, 2048));
    EXPECT_EQ(ReadBytes(dir.File("out/d")), all.substr(3 * 2048));
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.ipl")));
    EXPECT_EQ(prompts.Messages(), QStringList({"Not extracted, the name leads outside the chosen folder: \"..\\c.ipl\""}));
}

TEST_F(EditCommandsTest, ExtractingIntoAFolderNeverWritesThroughALink)
{
    const auto root = [this](const link_cases::TLinkCase& c) { return dir.File(std::to_string(&c - link_cases::kCases)); };
    for (const link_cases::TLinkCase& c : link_cases::kCases) link_cases::Plant(root(c), c);
    Start({Q(root(link_cases::kCases[0]) + "/a.img")});
    ClickRow(0);
    ClickRow(3, Qt::ShiftModifier);
    for (const link_cases::TLinkCase& c : link_cases::kCases) {
        prompts.calls.clear();
        prompts.AnswerFolder(Q(root(c) + "/" + c.folder));
        Trigger("N11");
        const std::string link = "Not extracted, a symbolic link is in the way: \"" + root(c) + "/out/a\"";
        EXPECT_EQ(prompts.Messages(), QStringList({Q(c.inTheWay ? link : link_cases::kGuard)}));
        link_cases::ExpectNotWrittenThrough(root(c), c);
    }
}

TEST_F(EditCommandsTest, ReplaceInPlaceRunsTheSelectionHandlerAndAMoveSelectsTheLastRow)
{
    Start({Q(Img(3))});
    ClickRow(1);
    Find<QAction>("N9")->setEnabled(false);
    const std::string fits = Bytes(2048, 70);
    prompts.AnswerOpenMany({Q(Source("fits.bin", fits)), Q(Source("ignored.bin", "i"))});
    Trigger("N25");
    EXPECT_EQ(prompts.calls[0].dialog, "OpenDialog3");
    EXPECT_TRUE(Find<QAction>("N9")->isEnabled());
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "fits.bin", "F2.DAT"}));
    // Though it fits, the data is appended: the old sector stays for an undo.
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(2048, 2048), Bytes(2048, 1));
    EXPECT_EQ(ReadBytes(dir.File("a.img")).substr(3 * 2048, 2048), fits);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")).substr(32, 32), DirRecordBytes({3, 1, "fits.bin"}));

    Find<QAction>("N9")->setEnabled(false);
    const std::string big = Bytes(2049, 71);
    prompts.AnswerOpenMany({Q(Source("big.bin", big))});
    Trigger("N12");
    EXPECT_FALSE(Find<QAction>("N9")->isEnabled());  // the preview stays as it was
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "F2.DAT", "big.bin"}));
    EXPECT_EQ(Selected(), QList<int>({1, 2}));
    const std::string img = ReadBytes(dir.File("a.img"));
    EXPECT_EQ(img.substr(3 * 2048, 2048), fits);  // the old sectors stay, unused
    EXPECT_EQ(img.substr(4 * 2048), big + std::string(2047, '\0'));
    EXPECT_EQ(Reopened(), QStringList({"F0.DAT", "F2.DAT", "big.bin"}));
}

TEST_F(EditCommandsTest, AnEntryMovedByReplaceOnASortedListBecomesTheLastRow)
{
    Start({Q(Img(4))});
    form->SortList(1);
    form->SortList(1);  // F3 F2 F1 F0
    ClickRow(2);                     // F1, slot 1
    prompts.AnswerOpenMany({Q(Source("big.bin", Bytes(2049, 72)))});
    Trigger("N12");
    // The slots after F1's moved down one; every other row keeps its entry.
    EXPECT_EQ(Names(), QStringList({"F3.DAT", "F2.DAT", "F0.DAT", "big.bin"}));
    QStringList numbers;
    for (int r = 0; r < 4; ++r) numbers << form->ListModel()->CellText(r, 0);
    EXPECT_EQ(numbers, QStringList({"2", "1", "0", "3"}));
}

TEST_F(EditCommandsTest, OpenCopiesTheEntryToTheTemporaryFolderAndHandsItOn)
{
    std::string data = Bytes(28 * 2048, 8);
    WriteBytes(dir.File("a.img"), data);
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{26, 1, "car.dat"}, {27, 1, "NODOT"}}));
    TUrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "Open");
    Start({Q(dir.File("a.img"))});
    ClickRow(0);
    Trigger("N9");
    ClickRow(1);
    Trigger("N28");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const QString own = QDir::tempPath() + "/korvane-" + QString::number(::geteuid());
    const QString first = own + "/img0000D000.dat", second = own + "/img0000D800";
    EXPECT_EQ(recorder.urls, QList<QUrl>({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    EXPECT_EQ(ReadBytes(first.toStdString()), data.substr(26 * 2048, 2048));
    EXPECT_EQ(ReadBytes(second.toStdString()), data.substr(27 * 2048));
    std::filesystem::remove(first.toStdString());
    std::filesystem::remove(second.toStdString());
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(EditCommandsTest, ArchivesThatCannotBeChangedOfferOnlyOpenAndExtract)
{
    WriteBytes(dir.File("s.syb"), SybBytes({{"a.txt", 10}, {"b.txt", 5}}));
    Start({Q(dir.File("s.syb"))});
    ClickRow(1);
    for (const char* n : {"N10", "N12", "N13", "N14", "N25", "N26", "N29"}) EXPECT_FALSE(Find<QAction>(n)->isEnabled()) << n;
    for (const char* n : {"N9", "N11"}) EXPECT_TRUE(Find<QAction>(n)->isEnabled()) << n;
    Trigger("N13");
    Trigger("N14");
    EXPECT_TRUE(prompts.calls.empty());
    prompts.AnswerSave(Q(dir.File("b.out")));
    Trigger("N11");
    EXPECT_EQ(ReadBytes(dir.File("b.out")), "bbbbb");
}

TEST_F(EditCommandsTest, ShortcutKeysReachTheCommands)
{
    Start({Q(Img(2))});
    // No window manager runs under the test's X server: the window is made
    // the active one directly, as a click on it would.
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    ClickRow(0);
    prompts.AnswerQuestion(QMessageBox::No);
    QTest::keyClick(List(), Qt::Key_Delete);
    prompts.onModal = [](QDialog* d) { d->reject(); };
    QTest::keyClick(List(), Qt::Key_F2);
    prompts.AnswerOpenMany({});
    QTest::keyClick(List(), Qt::Key_Insert);
    ASSERT_EQ(prompts.calls.size(), 3u);
    EXPECT_EQ(prompts.calls[0].kind, "question");
    EXPECT_EQ(prompts.calls[1].dialog, "Form2");
    EXPECT_EQ(prompts.calls[2].dialog, "OpenDialog3");
}

// Files dropped on the open archive: one named like an entry asks the
// import's question (Отмена: nothing written, no archive opened; OK: one
// change, undone in one step); none named so opens the first as an archive.
TEST_F(EditCommandsTest, DroppedFilesNamedLikeEntriesAreImportedWhenTheUserSaysSo)
{
    Start({Q(Img(2))});
    const std::string dirBytes = ReadBytes(dir.File("a.dir"));
    auto drop = [this](const std::vector<std::string>& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& f : files) urls << QUrl::fromLocalFile(Q(f));
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &event);
    };
    const std::string f1 = Source("f1.dat", Bytes(100, 9)), extra = Source("extra.bin", "e");
    int asked = 0;
    prompts.onModal = [&](QDialog* d) { ++asked, d->reject(); };
    drop({f1, extra});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("a.img"));

    prompts.onModal = [&](QDialog* d) { ++asked, d->accept(); };
    drop({f1, extra});
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "f1.dat", "extra.bin"}));
    Trigger("UndoItem");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);

    // No entry of its name: an archive to open, whose ".dir" is asked for.
    prompts.AnswerQuestion(QMessageBox::No);
    drop({Source("other.img", "x")});
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(prompts.calls.back().caption, "Необходимый файл не найден");
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("a.img"));
}

#include "EditCommandsTest.moc"

// Each change is undone to the directory's very bytes and redone to them; the
// menu names the change; an undo over another program's change is refused.
TEST_F(EditCommandsTest, UndoAndRedoTakeChangesBackAndMakeThemAgain)
{
    Start({Q(Img(3))});
    const std::string dir0 = ReadBytes(dir.File("a.dir"));
    QAction* undo = Find<QAction>("UndoItem");
    QAction* redo = Find<QAction>("RedoItem");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(undo->text(), "Отменить");
    EXPECT_EQ(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_EQ(redo->shortcuts(), QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                      QKeySequence(QStringLiteral("Ctrl+Y"))}));

    prompts.AnswerOpenMany({Q(Source("one.dff", Bytes(100, 1)))});
    Trigger("N13");
    const std::string dir1 = ReadBytes(dir.File("a.dir"));
    EXPECT_EQ(undo->text(), "Отменить: добавление 1 записи");
    ClickRow(0);
    ClickRow(2, Qt::ShiftModifier);
    prompts.AnswerQuestion(QMessageBox::Yes);
    Trigger("N14");
    const std::string dir2 = ReadBytes(dir.File("a.dir"));
    EXPECT_EQ(Names(), QStringList({"one.dff"}));
    EXPECT_EQ(undo->text(), "Отменить: удаление 3 записей");

    // A rename and a replace more, then all five undone and redone, the
    // directory and the archive as they were at each step.
    const std::string img2 = ReadBytes(dir.File("a.img"));
    ClickRow(0);
    prompts.onModal = [](QDialog* d) {
        d->findChild<QLineEdit*>("Edit1")->setText("TWO.DFF");
        d->accept();
    };
    Trigger("N10");
    EXPECT_EQ(undo->text(), "Отменить: переименование записи");
    const std::string dir3 = ReadBytes(dir.File("a.dir"));
    prompts.AnswerOpenMany({Q(Source("rep.dff", Bytes(50, 2)))});
    Trigger("N12");
    EXPECT_EQ(undo->text(), "Отменить: замена записи");
    const std::string dir4 = ReadBytes(dir.File("a.dir")), img4 = ReadBytes(dir.File("a.img"));
    for (const std::string* back : {&dir3, &dir2}) {
        Trigger("UndoItem");
        EXPECT_EQ(ReadBytes(dir.File("a.dir")), *back);
    }
    EXPECT_EQ(Names(), QStringList({"one.dff"}));
    Trigger("UndoItem");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dir1);
    EXPECT_EQ(Names(), QStringList({"F0.DAT", "F1.DAT", "F2.DAT", "one.dff"}));
    EXPECT_EQ(Selected(), QList<int>({0, 1, 2}));  // the entries the step concerned
    EXPECT_EQ(redo->text(), "Повторить: удаление 3 записей");
    Trigger("UndoItem");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dir0);
    EXPECT_FALSE(undo->isEnabled());
    for (const std::string* forth : {&dir1, &dir2, &dir3, &dir4}) {
        Trigger("RedoItem");
        EXPECT_EQ(ReadBytes(dir.File("a.dir")), *forth);
    }
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img4);  // the appended data was kept throughout
    EXPECT_EQ(img4.substr(0, img2.size()), img2);
    EXPECT_EQ(Reopened(), QStringList({"rep.dff"}));
    EXPECT_FALSE(redo->isEnabled());

    // Another program writes the record the undo would write back.
    std::string outside = dir4;
    outside[8] = 'X';
    WriteBytes(dir.File("a.dir"), outside);
    Trigger("UndoItem");
    EXPECT_EQ(prompts.Messages().back(), "Архив изменён другой программой. Список обновлён, повторите команду.");
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), outside);
    EXPECT_EQ(Names(), QStringList({"Xep.dff"}));
    EXPECT_FALSE(undo->isEnabled());
}
