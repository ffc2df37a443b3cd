#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTableView>
#include <QTextBlock>

#include "app/AppFixture.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/PlacementWriters.h"

using namespace korvane;

namespace {


const std::string kTwoAndOne = BinaryIplBytes(
    {{{0.125f, -2.5f, 10.0f, 0, 0, 0, 1}, 1234, 0, -1}, {{-0.004f, -0.375f, 3, 4, 5, 6, 7}, 5, 6, 7}},
    {{{1, 2, 3, 4}, {1, 2, 3, 4, 5, 6, 7, 8}}});

const char* const kTwoAndOneText =
    "# IPL generated from binary IPL file placement.ipl\n# Korvane 3.0\ninst\n"
    "1234, item1, 0, 0.13, -2.50, 10.00, 0.00, 0.00, 0.00, 1.00, -1\n"
    "5, item2, 6, 0.00, -0.38, 3.00, 4.00, 5.00, 6.00, 7.00, 7\n"
    "end\ncull\nend\npath\nend\ngrge\nend\nenex\nend\npick\nend\ncars\n"
    "1.00, 2.00, 3.00, 4.00, 1, 2, 3, 4, 5, 6, 7, 8\n"
    "end\njump\nend\ntcyc\nend\nmult\nend";

}  // namespace

class IplPageTest : public WindowTest {
protected:
    void Open(const std::string& bytes)
    {
        WriteBytes(dir.File("a.img"), bytes);
        Start({Q(dir.File("a.img"))});
    }
    void Select(int r)
    {
        QTableView* list = form->ListView();
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    int Page() { return Find<QStackedWidget>("Notebook1")->currentIndex(); }
    QPlainTextEdit* Memo() { return Find<QPlainTextEdit>("Memo1"); }
    // Whether "Копировать" is enabled when the memo's pop-up menu opens on a
    // right click.
    bool CopyOffered()
    {
        auto* menu = Find<QMenu>("PopupMenu3");
        emit Memo()->customContextMenuRequested(QPoint(10, 10));
        EXPECT_TRUE(menu->isVisible());
        const bool enabled = Find<QAction>("N33")->isEnabled();
        menu->hide();
        return enabled;
    }
};

TEST_F(IplPageTest, ShowsTheConvertedTextWithTheCaretAtTheStart)
{
    Open(Ver2OneSectorEach({{"text.ipl", "# text placement\ninst\nend\n"}, {"placement.ipl", kTwoAndOne}}));
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "имя файла");
    EXPECT_EQ(Find<QLabel>("Label7")->text(), "размер");
    Select(1);
    EXPECT_EQ(Page(), 3);
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "placement.ipl");
    EXPECT_EQ(Find<QLabel>("Label7")->text(), "2 КБ");
    QPlainTextEdit* memo = Memo();
    EXPECT_EQ(memo->toPlainText(), kTwoAndOneText);
    EXPECT_EQ(memo->document()->blockCount(), 25);
    EXPECT_EQ(memo->textCursor().position(), 0);
    EXPECT_FALSE(memo->textCursor().hasSelection());
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_TRUE(memo->updatesEnabled());
    EXPECT_EQ(memo->font().family(), "Lucida Console");
    EXPECT_EQ(memo->font().pixelSize(), 11);
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->contextMenuPolicy(), Qt::CustomContextMenu);
    QCoreApplication::processEvents();
    QWidget* page = Find<QWidget>("IPL");
    EXPECT_EQ(memo->geometry(), QRect(8, 40, page->width() - 15, page->height() - 48));
    EXPECT_EQ(Find<QLabel>("Label5")->pos(), QPoint(8, 8));
    EXPECT_EQ(Find<QLabel>("Label7")->geometry().right(), page->width() - 9);

    // A text placement file gets the Default page; the memo keeps its text.
    Select(0);
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(memo->toPlainText(), kTwoAndOneText);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(IplPageTest, AFailureKeepsTheLinesConvertedBeforeIt)
{
    // Three instances claimed, the archive ends inside the second one.
    std::string bytes = Ver2OneSectorEach({{"p.ipl", ""}, {"short.ipl", ""}});
    bytes.resize(2 * 2048);
    bytes += IplHeaderBytes(3, 76, 0, 76) + IplInstanceBytes({{1, 2, 3, 4, 5, 6, 7}, 8, 9, 10}) + std::string(12, '\0');
    Open(bytes);
    Select(1);
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(Page(), 3);
    EXPECT_EQ(Memo()->toPlainText(), "# IPL generated from binary IPL file short.ipl\n# Korvane 3.0\ninst\n"
                                     "8, item1, 9, 1.00, 2.00, 3.00, 4.00, 5.00, 6.00, 7.00, 10");
    EXPECT_TRUE(Memo()->updatesEnabled());
    EXPECT_EQ(form->ListPopupMenu(), nullptr);
}

TEST_F(IplPageTest, CopyIsOfferedOnlyWithASelectionAndCopiesIt)
{
    Open(Ver2OneSectorEach({{"placement.ipl", kTwoAndOne}}));
    Select(0);
    auto* menu = Find<QMenu>("PopupMenu3");
    QStringList captions;
    for (QAction* a : menu->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, QStringList({"Копировать", "Выделить всё", "-", "Сохранить как..."}));
    EXPECT_EQ(Find<QAction>("N36")->isSeparator(), true);

    EXPECT_FALSE(CopyOffered());
    EXPECT_TRUE(Find<QAction>("N35")->isEnabled());
    EXPECT_TRUE(Find<QAction>("N37")->isEnabled());

    // The caret's line, selected from the keyboard's side.
    QTextCursor c = Memo()->textCursor();
    c.movePosition(QTextCursor::Down, QTextCursor::MoveAnchor, 3);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    Memo()->setTextCursor(c);
    EXPECT_TRUE(CopyOffered());
    Find<QAction>("N33")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "1234, item1, 0, 0.13, -2.50, 10.00, 0.00, 0.00, 0.00, 1.00, -1\n5");

    Find<QAction>("N35")->trigger();
    EXPECT_TRUE(CopyOffered());
    Find<QAction>("N33")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kTwoAndOneText);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(IplPageTest, SaveAppendsIplToANameWithoutExtensionAndWritesCrLfWindows1251)
{
    // A Windows-1251 name with a no-break space (0xA0) and Cyrillic letters.
    const std::string name = "\xCF\xF0\xE8\xE2\xE5\xF2\xA0\xEC\xE8\xF0.ipl";
    Open(Ver2OneSectorEach({{name, BinaryIplBytes({}, {{{0.5f, 0, 0, 0}, {}}})}}));
    Select(0);

    const QString base = Q(dir.File("placement"));
    prompts.AnswerSave(base);
    Find<QAction>("N37")->trigger();
    ASSERT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join(' ').toStdString();
    EXPECT_EQ(ReadBytes(dir.File("placement.ipl")),
              "# IPL generated from binary IPL file " + name +
                  "\r\n# Korvane 3.0\r\ninst\r\n"
                  "end\r\ncull\r\nend\r\npath\r\nend\r\ngrge\r\nend\r\nenex\r\nend\r\npick\r\nend\r\ncars\r\n"
                  "0.50, 0.00, 0.00, 0.00, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
                  "end\r\njump\r\nend\r\ntcyc\r\nend\r\nmult\r\nend\r\n");
    EXPECT_FALSE(FileExists(dir.File("placement")));
    const std::string first = ReadBytes(dir.File("placement.ipl"));

    // A name with an extension is used as it is, over any file there; the
    // dialog offers the last name it was given.
    WriteBytes(dir.File("placement.txt"), std::string(5000, 'x'));
    prompts.AnswerSave(Q(dir.File("placement.txt")));
    Find<QAction>("N37")->trigger();
    EXPECT_EQ(ReadBytes(dir.File("placement.txt")), first);

    // Cancelling writes nothing.
    prompts.AnswerSave(QString());
    Find<QAction>("N37")->trigger();

    ASSERT_EQ(prompts.calls.size(), 3u);
    EXPECT_EQ(prompts.calls[0].kind, "save");
    EXPECT_EQ(prompts.calls[0].dialog, "SaveDialog3");
    EXPECT_EQ(prompts.calls[0].filter, "Текстовый IPL (*.ipl)|*.ipl");
    EXPECT_EQ(prompts.calls[0].text, "");
    EXPECT_EQ(prompts.calls[1].text, base + ".ipl");
    EXPECT_EQ(prompts.calls[2].text, Q(dir.File("placement.txt")));
}

TEST_F(IplPageTest, ASaveThatCannotBeWrittenShowsTheErrorAndKeepsTheMemo)
{
    Open(Ver2OneSectorEach({{"placement.ipl", kTwoAndOne}}));
    Select(0);
    prompts.AnswerSave(Q(dir.File("no such folder/placement")));
    Find<QAction>("N37")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList({"File not found."}));
    EXPECT_EQ(Memo()->toPlainText(), kTwoAndOneText);
}
