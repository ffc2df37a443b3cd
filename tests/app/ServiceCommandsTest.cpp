// The "Сервис" commands driven through the real window.
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <cerrno>
#include <filesystem>

#include "AppFixture.h"
#include "app/ServiceCommands.h"
#include "app/list/EntryListModel.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"

using namespace korvane;

namespace {

std::vector<TDirRecord> Named(const std::vector<std::string>& names)
{
    std::vector<TDirRecord> r;
    for (size_t i = 0; i < names.size(); ++i) r.push_back({uint32_t(i + 1), 1, names[i]});
    return r;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace

class ServiceTest : public WindowTest {
protected:
    QTableView* List() { return form->ListView(); }
    void ClickHeader(int col)
    {
        QHeaderView* header = List()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
    }
    std::vector<int> SelectedRows()
    {
        std::vector<int> rows;
        for (const QModelIndex& i : List()->selectionModel()->selectedRows()) rows.push_back(i.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    int TopRow() { return List()->rowAt(0); }
    void Repack() { Find<QAction>("N17")->trigger(); }
    void Check() { Find<QAction>("N20")->trigger(); }
};

TEST_F(ServiceTest, RepackRewritesTheArchiveAndShowsItReloaded)
{
    // Entries at sectors 9 and 5 with unused space around them.
    std::string file = Ver2Bytes({{9, 1, "B.TXD"}, {5, 2, "A.DFF"}}, 10 * 2048);
    file.replace(9 * 2048, 2048, std::string(2048, 'b'));
    file.replace(5 * 2048, 4096, std::string(4096, 'a'));
    WriteBytes(dir.File("v.img"), file);
    Start({Q(dir.File("v.img"))});
    ClickHeader(1);
    EXPECT_EQ(form->ListModel()->CellText(0, 1), "A.DFF");
    statusTexts.clear();

    Repack();
    EXPECT_TRUE(prompts.calls.empty());
    const std::string got = ReadBytes(dir.File("v.img"));
    EXPECT_EQ(got.size(), 4096u + 3 * 2048);
    EXPECT_EQ(got.substr(8, 8), LE32(2) + LE32(1));
    EXPECT_EQ(got.substr(40, 8), LE32(3) + LE32(2));
    EXPECT_EQ(got.substr(4096), std::string(2048, 'b') + std::string(4096, 'a'));
    EXPECT_FALSE(Exists(dir.File("v.~new")));
    // Loaded afresh: catalogue order, no sort, new addresses.
    EXPECT_EQ(form->Order().SortColumn, -1);
    EXPECT_EQ(form->ListModel()->CellText(0, 1), "B.TXD");
    EXPECT_EQ(form->ListModel()->CellText(0, 2), "00001000");
    EXPECT_EQ(form->ListModel()->CellText(1, 2), "00001800");
    EXPECT_EQ(statusTexts.first(), "Загрузка...");
    EXPECT_EQ(form->StatusText(), "Загрузка завершена");
}

// With something to undo, Repack asks first (No: nothing written, the
// history kept); repacked, there is nothing to undo. A check asks nothing.
TEST_F(ServiceTest, RepackAsksBeforeItClearsTheUndoHistory)
{
    WriteBytes(dir.File("v.img"), Ver2Bytes({{9, 1, "B.TXD"}}, 10 * 2048));
    WriteBytes(dir.File("new.bin"), "n");
    Start({Q(dir.File("v.img"))});
    prompts.AnswerOpenMany({Q(dir.File("new.bin"))});
    Find<QAction>("N13")->trigger();
    QAction* undo = Find<QAction>("UndoItem");
    ASSERT_TRUE(undo->isEnabled());
    const std::string added = ReadBytes(dir.File("v.img"));

    Check();  // a check asks nothing and keeps the history
    EXPECT_EQ(prompts.calls.size(), 1u);
    EXPECT_TRUE(undo->isEnabled());

    prompts.AnswerQuestion(QMessageBox::No);
    Repack();
    ASSERT_EQ(prompts.calls.size(), 2u);
    EXPECT_EQ(prompts.calls[1].text, "После перепаковки отменить сделанные изменения будет нельзя. Продолжить?");
    EXPECT_EQ(ReadBytes(dir.File("v.img")), added);
    EXPECT_TRUE(undo->isEnabled());

    prompts.AnswerQuestion(QMessageBox::Yes);
    Repack();
    EXPECT_LT(ReadBytes(dir.File("v.img")).size(), added.size());
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(ServiceTest, RepackOfAnImgWhoseDirectoryWasPickedByHandAsksNothing)
{
    WriteBytes(dir.File("data.img"), std::string(3 * 2048, 'd'));
    WriteBytes(dir.File("elsewhere.dir"), ImgDirBytes({{2, 1, "ONE"}}));
    prompts.AnswerQuestion(QMessageBox::Yes);
    prompts.AnswerOpen(Q(dir.File("elsewhere.dir")));
    Start({Q(dir.File("data.img"))});
    ASSERT_EQ(form->Cat().DirPath, dir.File("elsewhere.dir"));
    prompts.calls.clear();

    Repack();
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(ReadBytes(dir.File("data.img")), std::string(2048, 'd'));
    EXPECT_EQ(ReadBytes(dir.File("elsewhere.dir")), ImgDirBytes({{0, 1, "ONE"}}));
    EXPECT_EQ(form->Cat().DirPath, dir.File("elsewhere.dir"));
    EXPECT_EQ(form->ListModel()->CellText(0, 2), "00000000");
}

TEST_F(ServiceTest, AFailedRepackShowsTheErrorAndChangesNothing)
{
    const std::string file = Ver2Bytes({{3, 1, "A"}}, 4 * 2048);
    WriteBytes(dir.File("f.img"), file);
    Start({Q(dir.File("f.img"))});
    {
        TFaultInjection fault({1, EXDEV, foRename});
        Repack();
    }
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].text, "I/O error 18.");
    EXPECT_EQ(prompts.calls[0].caption, "Korvane");
    EXPECT_EQ(prompts.calls[0].icon, QMessageBox::Critical);
    EXPECT_EQ(ReadBytes(dir.File("f.img")), file);
    EXPECT_FALSE(Exists(dir.File("f.~new")));
    EXPECT_EQ(form->Cat().Entries[0].Offset, 3u);
    EXPECT_EQ(form->ListModel()->CellText(0, 2), "00001800");
}

TEST_F(ServiceTest, CheckOfAnEmptyCatalogueGoesStraightToDone)
{
    WriteBytes(dir.File("e.img"), Ver2Bytes({}));
    Start({Q(dir.File("e.img"))});
    statusTexts.clear();
    Check();
    EXPECT_EQ(statusTexts, QStringList({"Проверка...", "Проверка завершена"}));
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(ServiceTest, ABadNameIsSelectedScrolledToTheTopAndReported)
{
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i) names.push_back("F" + std::to_string(i) + ".DAT");  // no preview on selection
    names[60] = "a-b.dat";
    WriteBytes(dir.File("b.img"), Ver2Bytes(Named(names)));
    Start({Q(dir.File("b.img"))});
    List()->selectRow(3);
    statusTexts.clear();

    Check();
    EXPECT_EQ(SelectedRows(), std::vector<int>({60}));
    EXPECT_EQ(TopRow(), 60);
    EXPECT_EQ(statusTexts, QStringList({"Проверка...", "Найдена ошибка"}));
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "message");
    EXPECT_EQ(prompts.calls[0].text, "В именах файлов не рекомендуется употреблять подобные символы");
    EXPECT_EQ(prompts.calls[0].caption, "Некорректное имя файла");
    EXPECT_EQ(prompts.calls[0].icon, QMessageBox::Critical);

    // The first row is found as well.
    names[60] = "F60.DAT";
    names[0] = "a-b.dat";
    WriteBytes(dir.File("c.img"), Ver2Bytes(Named(names)));
    form->Load(dir.File("c.img"));
    List()->selectRow(50);
    List()->scrollTo(List()->model()->index(99, 0));
    Check();
    EXPECT_EQ(SelectedRows(), std::vector<int>({0}));
    EXPECT_EQ(List()->currentIndex().row(), 0);
    EXPECT_EQ(TopRow(), 0);
}

TEST_F(ServiceTest, AfterASortTheDuplicatesRowsAreTheOnesShowingThem)
{
    // Not dictionaries: selecting the rows must not start a preview of them.
    WriteBytes(dir.File("d.img"), Ver2Bytes(Named({"car.dat", "zz", "b", "CAR.DAT", "a", "Car.Dat"})));
    Start({Q(dir.File("d.img"))});
    ClickHeader(1);  // CAR.DAT Car.Dat a b car.dat zz
    Check();
    EXPECT_EQ(SelectedRows(), std::vector<int>({0, 1, 4}));
    EXPECT_EQ(form->ListModel()->CellText(4, 0), "0");
    EXPECT_EQ(List()->currentIndex().row(), 4);
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].text, "Выделенные файлы имеют одинаковые имена");
    EXPECT_EQ(prompts.calls[0].caption, "Найдены дубликаты!");
    EXPECT_EQ(prompts.calls[0].icon, QMessageBox::Critical);
    EXPECT_EQ(form->StatusText(), "Найдена ошибка");
}

TEST_F(ServiceTest, TheCheckSwitchesTheResultsFilterOffFirst)
{
    WriteBytes(dir.File("r.img"), Ver2Bytes(Named({"x", "y", "X"})));
    Start({Q(dir.File("r.img"))});
    ClickHeader(1);
    auto* n32 = Find<QAction>("N32");
    n32->setEnabled(true);
    n32->setChecked(true);
    statusTexts.clear();
    Check();
    EXPECT_FALSE(n32->isChecked());
    EXPECT_EQ(form->ListModel()->rowCount(), 3);
    EXPECT_EQ(form->ListModel()->CellText(0, 1), "x");
    EXPECT_EQ(SelectedRows(), std::vector<int>({0, 2}));
    EXPECT_EQ(statusTexts, QStringList({"Подождите...", "Отсеивание завершено", "Проверка...", "Найдена ошибка"}));
}

TEST_F(ServiceTest, TheServiceMenuStaysHiddenAndServesOnlyTheSectorKinds)
{
    WriteBytes(dir.File("b.big"), BigBytes({{0x20, 1, "a b"}}));
    Start({Q(dir.File("b.big"))});
    EXPECT_FALSE(Find<QMenu>("N16")->menuAction()->isVisible());
    EXPECT_FALSE(Find<QMenu>("N16")->isEnabled());
    const std::string before = ReadBytes(dir.File("b.big"));
    statusTexts.clear();
    form->Service().Repack();
    form->Service().Check();
    EXPECT_TRUE(statusTexts.isEmpty());
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(ReadBytes(dir.File("b.big")), before);
}
