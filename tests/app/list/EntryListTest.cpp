#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QSplitter>
#include <QMenu>
#include <QTableView>
#include <QTest>

#include "app/AppFixture.h"
#include "app/list/EntryListModel.h"
#include "support/ArchiveWriters.h"
#include "support/ModelWriters.h"

using namespace korvane;

namespace {

QStringList Column(const TEntryListModel* model, int col)
{
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) out << model->index(r, col).data().toString();
    return out;
}

}  // namespace

class EntryListTest : public WindowTest {
protected:
    QTableView* List() { return form->ListView(); }
    void ClickHeader(int col)
    {
        QHeaderView* header = List()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(col) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
    void ClickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        const QRect rect = List()->visualRect(List()->model()->index(row, 1));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, mods, rect.center());
    }
    QString Caption(int col) { return List()->model()->headerData(col, Qt::Horizontal).toString(); }
};

TEST_F(EntryListTest, HeaderClicksSortMarkAndReverse)
{
    WriteBytes(dir.File("a.big"), BigBytes({{0x30, 5, "ab"}, {0x10, 7, "B"}, {0x20, 6, "a"}}));
    Start({Q(dir.File("a.big"))});
    auto* model = form->ListModel();
    EXPECT_EQ(Column(model, 1), QStringList({"ab", "B", "a"}));

    ClickHeader(1);
    EXPECT_EQ(Column(model, 1), QStringList({"B", "a", "ab"}));
    EXPECT_EQ(Column(model, 0), QStringList({"1", "2", "0"}));
    EXPECT_EQ(Caption(1), "Имя •");
    EXPECT_EQ(Caption(0), "№");

    ClickHeader(1);
    EXPECT_EQ(Column(model, 1), QStringList({"ab", "a", "B"}));
    EXPECT_EQ(Caption(1), "Имя •");
    EXPECT_EQ(form->Order().SortColumn, 1);

    ClickHeader(2);
    EXPECT_EQ(Column(model, 2), QStringList({"00000010", "00000020", "00000030"}));
    EXPECT_EQ(Caption(1), "Имя");
    EXPECT_EQ(Caption(2), "Адрес •");

    ClickHeader(3);
    EXPECT_EQ(Column(model, 3), QStringList({"5 байт", "6 байт", "7 байт"}));
    ClickHeader(0);
    EXPECT_EQ(Column(model, 0), QStringList({"0", "1", "2"}));
    ClickHeader(0);
    EXPECT_EQ(Column(model, 0), QStringList({"2", "1", "0"}));
}

TEST_F(EntryListTest, HeaderClicksOnAnEmptyListDoNothing)
{
    WriteBytes(dir.File("e.img"), Ver2Bytes({}));
    Start({Q(dir.File("e.img"))});
    ClickHeader(2);
    EXPECT_EQ(form->Order().SortColumn, -1);
    EXPECT_EQ(Caption(2), "Адрес");
}

TEST_F(EntryListTest, SelectingARowUpdatesTheEditMenuAndTheContextMenu)
{
    // The model the preview of row 1 reads must be there for the click to succeed.
    std::string v = Ver2Bytes({{1, 1, "A.TXD"}, {2, 1, "B.DFF"}, {3, 1, "C.IPL"}}, 4 * 2048);
    const std::string model = ModelBytes({QuadGeometry(1, true)});
    v.replace(2 * 2048, model.size(), model);
    WriteBytes(dir.File("v.img"), v);
    WriteBytes(dir.File("b.big"), BigBytes({{0x34, 16, "a.txt"}}));
    Start({Q(dir.File("v.img"))});
    for (const char* n : {"N9", "N10", "N11", "N12", "N14"}) Find<QAction>(n)->setEnabled(false);

    EXPECT_EQ(form->ListPopupMenu(), nullptr);
    ClickRow(1);
    for (const char* n : {"N9", "N10", "N11", "N12", "N14"}) EXPECT_TRUE(Find<QAction>(n)->isEnabled()) << n;
    EXPECT_EQ(form->ListPopupMenu(), Find<QMenu>("PopupMenu1"));
    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(List()->selectionModel()->selectedRows().size(), 2);

    // Clicking off the rows clears the selection: nothing to act on.
    List()->clearSelection();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, List()->viewport()->height() - 3));
    for (const char* n : {"N9", "N10", "N11", "N12", "N14"}) EXPECT_FALSE(Find<QAction>(n)->isEnabled()) << n;
    EXPECT_EQ(form->ListPopupMenu(), nullptr);

    ClickRow(0);
    form->Load(dir.File("b.big"));
    EXPECT_EQ(form->ListPopupMenu(), nullptr);
    ClickRow(0);
    EXPECT_TRUE(Find<QAction>("N9")->isEnabled());
    EXPECT_TRUE(Find<QAction>("N11")->isEnabled());
    for (const char* n : {"N10", "N12", "N14"}) EXPECT_FALSE(Find<QAction>(n)->isEnabled()) << n;
}

TEST_F(EntryListTest, RowsArePaintedWhiteOrHighlightedWithClippedTexts)
{
    const std::string longName(24, 'W');
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, longName}, {2, 1, "short"}}));
    Start({Q(dir.File("v.img"))});
    List()->setColumnWidth(1, 60);
    ClickRow(1);
    QApplication::processEvents();
    const QImage image = List()->viewport()->grab().toImage();
    const QColor highlight = List()->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect row0 = List()->visualRect(List()->model()->index(0, 1));
    const QRect row1 = List()->visualRect(List()->model()->index(1, 1));
    EXPECT_EQ(row0.height(), 14 - 1);  // 14-pixel rows, less the grid line

    // Unselected background is white, selected is the highlight colour.
    EXPECT_EQ(image.pixelColor(row0.right() - 1, row0.top() + 1), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(row1.right() - 1, row1.top() + 1), highlight);

    // The long name is drawn, and cut off 4 pixels short of its cell's end:
    // nothing of it reaches past x1 + W1 - 4.
    auto dark = [&](int x0, int x1, const QRect& row) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                if (image.pixelColor(x, y).lightness() < 100) ++n;
        return n;
    };
    const int x1 = 60 + 2;  // after column 0 (width 60) and the 2-pixel gap
    EXPECT_GT(dark(x1, x1 + 56, row0), 20);
    EXPECT_EQ(dark(x1 + 56, x1 + 60, row0), 0);
}

TEST_F(EntryListTest, ModelStoresNoTextAndExposesCellsToAssistiveTechnology)
{
    WriteBytes(dir.File("a.img"), std::string(2048 * 4, '\0'));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{1, 3, "\xCC\xEE\xE9.txd"}}));
    Start({Q(dir.File("a.img"))});
    const QModelIndex name = List()->model()->index(0, 1);
    EXPECT_EQ(name.data(Qt::DisplayRole).toString(), "Мой.txd");
    EXPECT_EQ(name.data(Qt::AccessibleTextRole).toString(), "Мой.txd");
    EXPECT_EQ(List()->model()->index(0, 2).data().toString(), "00000800");
    EXPECT_EQ(List()->model()->index(0, 3).data().toString(), "6 КБ");
    EXPECT_FALSE(List()->model()->flags(name) & Qt::ItemIsEditable);
}

TEST_F(EntryListTest, ScreenReadersSeeTheCellsTheCaptionsAndTheStatusText)
{
    WriteBytes(dir.File("b.big"), BigBytes({{0x34, 1024, "a.txt"}, {0x44, 16, "c.txt"}}));
    Start({Q(dir.File("b.big"))});
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
    ASSERT_NE(list, nullptr);
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->columnCount(), 4);
    EXPECT_EQ(table->cellAt(1, 1)->text(QAccessible::Name), "c.txt");
    EXPECT_EQ(table->cellAt(0, 3)->text(QAccessible::Name), "1.00 КБ");
    EXPECT_EQ(table->columnDescription(2), "Адрес");
    EXPECT_FALSE(list->text(QAccessible::Name).isEmpty());

    auto* status = Find<QLabel>("StatusPanel0");
    QAccessibleInterface* label = QAccessible::queryAccessibleInterface(status);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(QAccessible::Name), "Загрузка завершена");
}

TEST_F(EntryListTest, ThePreviewPaneNeverGetsNarrowerThan260Pixels)
{
    Start();
    auto* splitter = Find<QSplitter>("Splitter1");
    splitter->setSizes({2000, 10});
    EXPECT_GE(Find<QWidget>("Notebook1")->width(), 260);
    splitter->setSizes({100, 500});
    EXPECT_GT(Find<QWidget>("Notebook1")->width(), 264);
}
