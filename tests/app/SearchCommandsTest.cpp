// The "Поиск" menu driven through the real window: find dialog, find next,
// find all and the results filter.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>

#include "AppFixture.h"
#include "app/FindDialog.h"
#include "app/list/EntryListModel.h"
#include "base/NameCodec.h"
#include "formats/Formats.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/ModelWriters.h"

using namespace korvane;

namespace {

const char* const kNames[] = {"Player.txd", "TXDLOAD.DAT", "car.dff", "a.dff.bak", "player.TXD", "Машина.txd", "zeta.txd"};
const QString kNotFound = QStringLiteral("Данная строка не найдена.");

}  // namespace

// Readable failure messages.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
static void PrintTo(const QStringList& l, std::ostream* os) { *os << '{' << l.join(", ").toStdString() << '}'; }

class SearchCommandsTest : public WindowTest {
protected:
    void Open(const std::vector<std::string>& names)
    {
        // Dictionaries and models hold valid empty ones, so that selecting
        // their rows previews without an error box.
        std::vector<TBigRecord> records;
        std::vector<std::string> contents;
        for (const std::string& name : names) {
            const std::string ext = EntryExtension(Utf8ToCp1251(name));
            contents.push_back(ext == ".TXD" ? DictionaryBytes({}) : ext == ".DFF" ? ModelBytes({}) : "x");
            records.push_back({0, uint32_t(contents.back().size()), Utf8ToCp1251(name)});
        }
        std::string data;
        uint32_t at = uint32_t(BigBytes(records).size());
        for (size_t i = 0; i < records.size(); ++i) {
            records[i].offset = at + uint32_t(data.size());
            data += contents[i];
        }
        WriteBytes(dir.File("s.big"), BigBytes(records) + data);
        Start({Q(dir.File("s.big"))});
        QCoreApplication::processEvents();
    }
    void OpenSample() { Open(std::vector<std::string>(std::begin(kNames), std::end(kNames))); }
    QTableView* List() { return form->ListView(); }
    QAction* Act(const char* name) { return Find<QAction>(name); }
    // Types into the find dialog, opening it first as a user must.
    void SetFind(const QString& text, bool wholeWord = false, bool matchCase = false)
    {
        if (!Act("N7")->isEnabled()) Act("N6")->trigger();
        Find<QLineEdit>("FindText")->setText(text);
        Find<QCheckBox>("WholeWord")->setChecked(wholeWord);
        Find<QCheckBox>("MatchCase")->setChecked(matchCase);
    }
    std::vector<int> Selected()
    {
        std::vector<int> rows;
        for (const QModelIndex& i : List()->selectionModel()->selectedRows()) rows.push_back(i.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    void Select(std::initializer_list<int> rows)
    {
        List()->clearSelection();
        for (int r : rows)
            List()->selectionModel()->select(List()->model()->index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QStringList Column(int col)
    {
        QStringList out;
        for (int r = 0; r < List()->model()->rowCount(); ++r) out << List()->model()->index(r, col).data().toString();
        return out;
    }
    QString NameAt(int row) { return List()->model()->index(row, 1).data().toString(); }
    int TopRow() { return List()->rowAt(0); }
};

TEST_F(SearchCommandsTest, MenuItemsFollowFindAndEveryOpen)
{
    OpenSample();
    EXPECT_TRUE(Act("N6")->isEnabled());
    EXPECT_FALSE(Act("N7")->isEnabled());
    EXPECT_FALSE(Act("N15")->isEnabled());
    EXPECT_FALSE(Act("N32")->isEnabled());
    EXPECT_EQ(Act("N7")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(Act("N32")->isCheckable());

    auto* dialog = Find<TFindDialog>("FindDialog1");
    EXPECT_FALSE(dialog->isVisible());
    Act("N6")->trigger();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_TRUE(Act("N7")->isEnabled());
    EXPECT_TRUE(Act("N15")->isEnabled());
    EXPECT_TRUE(Act("N32")->isEnabled());

    // The dialog keeps its values when closed and opened again.
    SetFind("car", true, true);
    Find<QPushButton>("Cancel")->click();
    EXPECT_FALSE(dialog->isVisible());
    Act("N6")->trigger();
    EXPECT_EQ(Find<QLineEdit>("FindText")->text(), "car");
    EXPECT_TRUE(dialog->WholeWord());
    EXPECT_TRUE(dialog->MatchCase());

    Act("N32")->trigger();
    EXPECT_TRUE(Act("N32")->isChecked());
    // Opening an archive: the three items off again, no check mark, no text.
    prompts.AnswerOpen(Q(dir.File("s.big")));
    Act("N2")->trigger();
    EXPECT_FALSE(Act("N7")->isEnabled());
    EXPECT_FALSE(Act("N15")->isEnabled());
    EXPECT_FALSE(Act("N32")->isEnabled());
    EXPECT_FALSE(Act("N32")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("FindText")->text(), "");
    EXPECT_EQ(List()->model()->rowCount(), 7);
}

TEST_F(SearchCommandsTest, FindNextStepsFromMatchToMatchAndStopsAtTheEnd)
{
    OpenSample();
    Act("N6")->trigger();
    SetFind("txd");
    // From no selection the walk starts at row 0.
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{0});
    EXPECT_TRUE(Act("N9")->isEnabled()) << "the selection handler ran";
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{1});
    // The dialog's button is find next too.
    Find<QPushButton>("FindNext")->click();
    EXPECT_EQ(Selected(), std::vector<int>{4});
    Act("N7")->trigger();
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{6});
    EXPECT_TRUE(prompts.calls.empty());
    // No wrap-around: the message, and nothing changes.
    Act("N7")->trigger();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "message");
    EXPECT_EQ(prompts.calls[0].text, kNotFound);
    EXPECT_EQ(prompts.calls[0].caption, "Korvane");
    EXPECT_EQ(Selected(), std::vector<int>{6});

    // The last row selected: not found at once, whatever the text.
    SetFind("zeta");
    Act("N7")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList({kNotFound, kNotFound}));
}

TEST_F(SearchCommandsTest, FindNextStartsBelowTheFirstSelectedRowAndDeselectsOnlyIt)
{
    OpenSample();
    SetFind("player");
    Select({2, 5});
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({4, 5}));
    // A match that was selected already stays so; rows of a range keep theirs.
    Select({1, 4});
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({4}));
    List()->selectionModel()->select(QItemSelection(List()->model()->index(0, 0), List()->model()->index(3, 3)),
                                     QItemSelectionModel::ClearAndSelect);
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(List()->selectionModel()->currentIndex().row(), 4);
    EXPECT_TRUE(prompts.calls.empty());
}

TEST_F(SearchCommandsTest, FindNextWalksASortedListInItsShownOrder)
{
    OpenSample();
    form->SortList(1);
    ASSERT_EQ(NameAt(0), "Player.txd");
    ASSERT_EQ(NameAt(6), "Машина.txd");
    SetFind("txd");
    Act("N7")->trigger();
    EXPECT_EQ(NameAt(Selected().at(0)), "Player.txd");
    Act("N7")->trigger();
    EXPECT_EQ(NameAt(Selected().at(0)), "TXDLOAD.DAT");
    Act("N7")->trigger();
    EXPECT_EQ(NameAt(Selected().at(0)), "player.TXD");
    Act("N7")->trigger();
    EXPECT_EQ(NameAt(Selected().at(0)), "zeta.txd");
    Act("N7")->trigger();
    EXPECT_EQ(NameAt(Selected().at(0)), "Машина.txd");
}

TEST_F(SearchCommandsTest, FindAllSelectsEveryMatchWithTheDialogsRules)
{
    OpenSample();
    SetFind("*.dff", true);
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{2});
    SetFind("PLAYER", false, true);
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({0, 4}));
    SetFind("МАШИНА");
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{5});
    SetFind("Машина", false, true);
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{5});
    EXPECT_TRUE(prompts.calls.empty());
    // Cyrillic keeps its case with match case on: nothing, and the selection is gone.
    SetFind("МАШИНА", false, true);
    Act("N15")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList{kNotFound});
    EXPECT_TRUE(Selected().empty());
    // An empty text finds every row.
    SetFind("");
    Act("N15")->trigger();
    EXPECT_EQ(Selected().size(), 7u);
}

TEST_F(SearchCommandsTest, TheFoundRowComesToTheTopWhateverTheRowHeight)
{
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("F" + std::to_string(i) + ".TXD");
    names[120] = "hit120.dff";
    names[121] = "hit121.dff";
    names[250] = "hit250.dff";
    Open(names);
    SetFind("hit");
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({120, 121, 250}));
    EXPECT_EQ(TopRow(), 120);

    List()->verticalHeader()->setDefaultSectionSize(23);
    Select({121});
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{250});
    EXPECT_EQ(TopRow(), 250);
    EXPECT_EQ(List()->rowViewportPosition(250), 0);
    // Upwards too: a match above the rows shown.
    List()->clearSelection();
    Act("N7")->trigger();
    EXPECT_EQ(TopRow(), 120);
    EXPECT_EQ(List()->rowViewportPosition(120), 0);
}

TEST_F(SearchCommandsTest, AMalformedMaskEndsEachCommandWhereItStands)
{
    OpenSample();
    const QString error = QStringLiteral("'*[12*' is an invalid mask at (6)");
    SetFind("[12");
    Select({1, 3});
    Act("N7")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList{error});
    EXPECT_EQ(prompts.calls.back().icon, QMessageBox::Critical);
    EXPECT_EQ(Selected(), std::vector<int>({1, 3}));

    // Below the last row no name is tested, so nothing is malformed yet.
    Select({6});
    Act("N7")->trigger();
    EXPECT_EQ(prompts.Messages().last(), kNotFound);

    Act("N15")->trigger();
    EXPECT_EQ(prompts.Messages().last(), error);
    EXPECT_TRUE(Selected().empty());

    statusTexts.clear();
    Act("N32")->trigger();
    EXPECT_EQ(prompts.Messages().last(), error);
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_TRUE(List()->updatesEnabled());
    EXPECT_EQ(form->StatusText(), "Подождите...");
    EXPECT_EQ(statusTexts, QStringList{"Подождите..."});
    // Switching the filter off brings the rows back.
    Act("N32")->trigger();
    EXPECT_EQ(List()->model()->rowCount(), 7);
    EXPECT_EQ(form->StatusText(), "Отсеивание завершено");
}

TEST_F(SearchCommandsTest, TheFilterKeepsMatchesInCatalogueOrderAndRestoresAll)
{
    OpenSample();
    form->SortList(1);
    ASSERT_EQ(form->Order().SortColumn, 1);
    SetFind("txd");
    statusTexts.clear();
    Act("N32")->trigger();
    EXPECT_TRUE(Act("N32")->isChecked());
    EXPECT_EQ(Column(0), QStringList({"0", "1", "4", "5", "6"}));
    EXPECT_EQ(statusTexts, QStringList({"Подождите...", "Отсеивание завершено"}));
    EXPECT_EQ(form->Order().SortColumn, 1);
    EXPECT_EQ(List()->horizontalHeader()->model()->headerData(1, Qt::Horizontal).toString(), "Имя •");

    // The other commands walk the filtered rows only.
    SetFind("player");
    Act("N15")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({0, 2}));
    Act("N7")->trigger();
    EXPECT_EQ(Selected(), std::vector<int>({2}));

    // Off again: every entry in catalogue order, the earlier sort dropped.
    Act("N32")->trigger();
    EXPECT_FALSE(Act("N32")->isChecked());
    EXPECT_EQ(Column(0), QStringList({"0", "1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(form->Order().SortColumn, 1);

    // A filter that matches nothing leaves an empty list and says nothing.
    SetFind("nothing here");
    Act("N32")->trigger();
    EXPECT_EQ(List()->model()->rowCount(), 0);
    EXPECT_TRUE(prompts.calls.empty());
    EXPECT_EQ(form->StatusText(), "Отсеивание завершено");
    // Find next and find all on the empty list: not found.
    Act("N7")->trigger();
    Act("N15")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList({kNotFound, kNotFound}));
}

TEST_F(SearchCommandsTest, F3FindsNextFromTheFindDialog)
{
    OpenSample();
    Act("N6")->trigger();
    SetFind("dff");
    auto* dialog = Find<TFindDialog>("FindDialog1");
    EXPECT_TRUE(dialog->actions().contains(Act("N7")));
    if (!QTest::qWaitForWindowActive(dialog)) GTEST_SKIP() << "the find dialog could not be made active";
    QTest::keyClick(dialog, Qt::Key_F3);
    EXPECT_EQ(Selected(), std::vector<int>{2});
    QTest::keyClick(dialog, Qt::Key_F3);
    EXPECT_EQ(Selected(), std::vector<int>{3});
}
