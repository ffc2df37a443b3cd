// The window beside another program changing the same archive: it never
// writes a directory older than the disk's, waits for a busy archive, and
// notices changes made while it is idle.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "AppFixture.h"
#include "app/RenameDialog.h"
#include "app/list/EntryListModel.h"
#include "archive/ArchiveLock.h"
#include "ops/ArchiveOps.h"
#include "support/ArchiveWriters.h"

using namespace korvane;

namespace {

const QString kChangedText = "Архив изменён другой программой. Список обновлён, повторите команду.";
const QString kBusyText = "Архив занят: другая программа изменяет его. Ничего не записано, повторите команду позже.";
const QString kIdleStatus = "Архив изменён другой программой, список обновлён";

}  // namespace

class ArchiveSyncTest : public WindowTest {
protected:
    // F0.DAT, F1.DAT, F2.DAT, one sector each, in an ".img" with its ".dir".
    std::string Img()
    {
        WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "F0.DAT"}, {1, 1, "F1.DAT"}, {2, 1, "F2.DAT"}}));
        WriteBytes(dir.File("a.img"), std::string(3 * 2048, 'i'));
        return dir.File("a.img");
    }
    // Another program adds OUT.DAT, as korvane-cli does.
    void AddOutside()
    {
        WriteBytes(dir.File("OUT.DAT"), "outside");
        ops::TLockedCatalogue held = ops::OpenForChanging(dir.File("a.img"));
        TEntryChanges changes;
        ops::Add(held, dir.File("OUT.DAT"), changes);
    }
    QStringList Names()
    {
        QStringList out;
        for (int r = 0; r < form->ListModel()->rowCount(); ++r) out << form->ListModel()->CellText(r, 1);
        return out;
    }
    QList<int> Selected()
    {
        QList<int> rows;
        for (const QModelIndex& i : form->ListView()->selectionModel()->selectedRows()) rows << i.row();
        return rows;
    }
};

// After another program's add, each change of the window's older directory
// is refused: nothing written, the list read again with the selection kept,
// the user told; the other program's entry survives.
TEST_F(ArchiveSyncTest, EachChangeRefusesToWriteAnOlderDirectory)
{
    const struct {
        const char* action;
        std::function<void(ScriptedPrompts&, const std::string& file)> answer;
    } commands[] = {
        {"N14", [](ScriptedPrompts& p, const std::string&) { p.AnswerQuestion(QMessageBox::Yes); }},
        {"N10",
         [](ScriptedPrompts& p, const std::string&) {
             p.onModal = [](QDialog* d) { qobject_cast<TRenameDialog*>(d)->NameEdit->setText("X.DAT"), d->accept(); };
         }},
        {"N12", [](ScriptedPrompts& p, const std::string& file) { p.AnswerOpen(QFile::decodeName(file.c_str())); }},
        {"N13", [](ScriptedPrompts& p, const std::string& file) { p.AnswerOpenMany({QFile::decodeName(file.c_str())}); }},
        {"ImportItem", [](ScriptedPrompts& p, const std::string& file) {
             p.AnswerOpenMany({QFile::decodeName(file.c_str())}), p.onModal = [](QDialog* d) { d->accept(); }; }},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.action);
        Start({Q(Img())});
        form->ListView()->selectRow(1);
        AddOutside();
        const std::string dirBytes = ReadBytes(dir.File("a.dir")), imgBytes = ReadBytes(dir.File("a.img"));
        ASSERT_EQ(dirBytes.size(), 4u * 32);
        c.answer(prompts, dir.File("mine.dat"));
        WriteBytes(dir.File("mine.dat"), std::string(5000, 'm'));
        Find<QAction>(c.action)->trigger();

        EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
        EXPECT_EQ(ReadBytes(dir.File("a.img")), imgBytes);
        EXPECT_EQ(Names(), QStringList({"F0.DAT", "F1.DAT", "F2.DAT", "OUT.DAT"}));
        EXPECT_EQ(Selected(), QList<int>({1}));
        EXPECT_EQ(prompts.Messages(), QStringList({kChangedText}));
        EXPECT_EQ(prompts.calls.back().icon, QMessageBox::Warning);

        // Now that it has the disk's directory, the same command goes through.
        prompts.calls.clear();
        c.answer(prompts, dir.File("mine.dat"));
        Find<QAction>(c.action)->trigger();
        EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("|").toStdString();
        EXPECT_NE(ReadBytes(dir.File("a.dir")), dirBytes);
        EXPECT_NE(ReadBytes(dir.File("a.dir")).find("OUT.DAT"), std::string::npos);
        prompts.onModal = nullptr;
        TearDown();
    }
}

// Changes made while the window does nothing are shown once they settle; the
// window's own changes, which it already shows, are not read again.
TEST_F(ArchiveSyncTest, AnOutsideChangeWhileIdleReloadsTheListOwnChangesDoNot)
{
    Start({Q(Img())});
    form->ListView()->selectRow(2);
    AddOutside();
    EXPECT_TRUE(QTest::qWaitFor([this] { return Names().size() == 4; }, 5000));
    EXPECT_EQ(Names().last(), "OUT.DAT");
    EXPECT_EQ(Selected(), QList<int>({2}));
    EXPECT_EQ(statusTexts.last(), kIdleStatus);

    statusTexts.clear();
    WriteBytes(dir.File("mine.dat"), "mine");
    prompts.AnswerOpenMany({Q(dir.File("mine.dat"))});
    Find<QAction>("N13")->trigger();
    ASSERT_EQ(Names().size(), 5);
    QTest::qWait(3 * 300 + 500);
    EXPECT_FALSE(statusTexts.contains(kIdleStatus)) << statusTexts.join("|").toStdString();
    EXPECT_FALSE(statusTexts.contains("Загрузка завершена"));
}

// While another program holds the archive, a change waits ten seconds with a
// busy cursor, then says so and writes nothing.
TEST_F(ArchiveSyncTest, ABusyArchiveIsWaitedForThenRefusedWithNothingWritten)
{
    Start({Q(Img())});
    form->ListView()->selectRow(0);
    const std::string dirBytes = ReadBytes(dir.File("a.dir"));
    TArchiveLock other = TArchiveLock::Acquire(dir.File("a.img"), TLockMode::lmExclusive);
    Qt::CursorShape during = Qt::ArrowCursor;
    QTimer::singleShot(2000, [&during] {
        if (QApplication::overrideCursor()) during = QApplication::overrideCursor()->shape();
    });
    prompts.AnswerQuestion(QMessageBox::Yes);
    const auto t0 = std::chrono::steady_clock::now();
    Find<QAction>("N14")->trigger();
    EXPECT_NEAR(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), 10.5, 0.6);
    EXPECT_EQ(during, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(prompts.Messages(), QStringList({kBusyText}));
    EXPECT_EQ(prompts.calls.back().icon, QMessageBox::Critical);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_EQ(Names().size(), 3);
}
