#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStackedWidget>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "app/AppFixture.h"
#include "app/preview/PreviewPane.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/ModelWriters.h"
#include "support/PlacementWriters.h"

using namespace korvane;

namespace {


// A dictionary of no textures: what every ".txd" entry here holds.
const std::string Txd = DictionaryBytes({});

}  // namespace

class PreviewDispatchTest : public WindowTest {
protected:
    void Open(const std::string& bytes)
    {
        WriteBytes(dir.File("a.img"), bytes);
        Start({Q(dir.File("a.img"))});
    }
    void Select(std::initializer_list<int> rows)
    {
        QTableView* list = form->ListView();
        list->clearSelection();
        for (int r : rows)
            list->selectionModel()->select(list->model()->index(r, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    int Page() { return Find<QStackedWidget>("Notebook1")->currentIndex(); }
    bool Enabled(const char* name) { return Find<QAction>(name)->isEnabled(); }
};

TEST_F(PreviewDispatchTest, ChoosesThePageByTheNamesExtension)
{
    Open(Ver2OneSectorEach({{"a.txd", Txd}, {"b.TXD", Txd}, {"c.Txd", Txd}, {"d.txd.bak", ""}, {"readme", ""},
                  {"models\\car.dff", ModelBytes({QuadGeometry(1, true)})}, {"x.dff\\y", ""}, {"text.ipl", "# text placement"}}));
    const int expected[] = {1, 1, 1, 0, 0, 2, 0, 0};
    for (int r = 0; r < 8; ++r) {
        Select({r});
        EXPECT_EQ(Page(), expected[r]) << "row " << r;
    }
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(PreviewDispatchTest, FillsTheNameAndSizeLabelsOfThePage)
{
    Open(Ver2OneSectorEach({{"a.txd", Txd}, {"car.dff", ModelBytes({QuadGeometry(1, true)})}, {"p.ipl", BinaryIplBytes({})}}));
    Select({0});
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "a.txd");
    EXPECT_EQ(Find<QLabel>("Label8")->text(), "2 КБ");
    Select({1});
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "car.dff");
    EXPECT_EQ(Find<QLabel>("Label3")->text(), "2 КБ");
    Select({2});
    EXPECT_EQ(Page(), 3);
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "p.ipl");
    EXPECT_EQ(Find<QLabel>("Label7")->text(), "2 КБ");
}

TEST_F(PreviewDispatchTest, OnlyExactBnryMakesAPlacementPreview)
{
    Open(Ver2OneSectorEach({{"p.ipl", BinaryIplBytes({})}, {"q.IPL", IplHeaderBytes(0, 76, 0, 76, "BNRY")}, {"r.ipl", "inst"}}));
    Select({0});
    EXPECT_EQ(Page(), 3);
    Select({1});
    EXPECT_EQ(Page(), 0);
    Select({0});
    Select({2});
    EXPECT_EQ(Page(), 0);
}

TEST_F(PreviewDispatchTest, AShortPlacementEntryAtTheArchivesEndFailsAndKeepsTheMenuDetached)
{
    // The last entry claims a sector but the file ends 40 bytes into it.
    std::string bytes = Ver2OneSectorEach({{"a.dat", ""}, {"p.ipl", "bnry"}});
    bytes.resize(2 * 2048 + 40);
    Open(bytes);
    Select({1});
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(form->ListPopupMenu(), nullptr);
    Select({0});
    EXPECT_NE(form->ListPopupMenu(), nullptr);
}

TEST_F(PreviewDispatchTest, TheFirstSelectedRowInListOrderIsPreviewed)
{
    Open(Ver2OneSectorEach({{"0.dat", ""}, {"1.dat", ""}, {"2.txd", Txd}, {"3.dat", ""}, {"4.dat", ""}, {"5.dff", ""}}));
    Select({5, 2});
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "2.txd");
}

TEST_F(PreviewDispatchTest, NoSelectionDisablesTheEditItemsAndKeepsThePane)
{
    Open(Ver2OneSectorEach({{"a.txd", Txd}}));
    Select({0});
    EXPECT_TRUE(Enabled("N9") && Enabled("N10") && Enabled("N11") && Enabled("N12") && Enabled("N14"));
    ASSERT_NE(form->ListPopupMenu(), nullptr);
    form->ListView()->clearSelection();
    form->ShowSelection();
    for (const char* n : {"N9", "N10", "N11", "N12", "N14"}) EXPECT_FALSE(Enabled(n)) << n;
    EXPECT_EQ(form->ListPopupMenu(), nullptr);
    EXPECT_EQ(Page(), 1);
}

TEST_F(PreviewDispatchTest, ReadOnlyKindsOfferOnlyOpenAndExtract)
{
    WriteBytes(dir.File("a.big"), BigBytes({{0x40, 5, "a.dat"}, {0x45, 5, "b.dat"}}) + std::string(16, 'x'));
    Start({Q(dir.File("a.big"))});
    Select({1});
    EXPECT_TRUE(Enabled("N9"));
    EXPECT_TRUE(Enabled("N11"));
    for (const char* n : {"N10", "N12", "N14"}) EXPECT_FALSE(Enabled(n)) << n;
    // Byte sizes are shown in whole kilobytes, rounded up.
    Select({0});
    EXPECT_EQ(Page(), 0);
}

TEST_F(PreviewDispatchTest, EachClickAndEachKeyMoveShowsTheEntryOnce)
{
    Open(Ver2OneSectorEach({{"a.txd", Txd}, {"b.txd", Txd}, {"c.txd", Txd}, {"d.txd", Txd}}));
    QTableView* list = form->ListView();
    QSignalSpy previews(Find<TPreviewPane>("Notebook1"), &TPreviewPane::PreviewStarted);
    auto at = [list](int row) { return list->visualRect(list->model()->index(row, 1)).center(); };
    auto shown = [this] { return Find<QLabel>("Label6")->text(); };

    // A new row is shown on the press; its release shows nothing more.
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, at(1));
    EXPECT_EQ(previews.count(), 1);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, at(1));
    EXPECT_EQ(previews.count(), 1);
    EXPECT_EQ(shown(), "b.txd");
    // The row already shown, clicked again: no selection change, shown once on the release.
    QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, at(1));
    EXPECT_EQ(previews.count(), 1);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, at(1));
    EXPECT_EQ(previews.count(), 2);
    // Every move of the keyboard shows the new row once.
    const std::pair<Qt::Key, const char*> moves[] = {{Qt::Key_Down, "c.txd"}, {Qt::Key_Down, "d.txd"}, {Qt::Key_Up, "c.txd"}};
    int expected = 2;
    for (const auto& [key, name] : moves) {
        QTest::keyClick(list, key);
        EXPECT_EQ(previews.count(), ++expected) << name;
        EXPECT_EQ(shown(), name);
    }
    // A control-click adding a row shows the first selected one, once.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, at(0));
    EXPECT_EQ(previews.count(), ++expected);
    EXPECT_EQ(shown(), "a.txd");
    EXPECT_TRUE(prompts.Messages().isEmpty());
}
