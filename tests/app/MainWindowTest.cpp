#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <cstdlib>
#include <sys/stat.h>

#include "AppFixture.h"
#include "app/FindDialog.h"
#include "app/ShellIntegration.h"
#include "app/list/EntryListModel.h"
#include "app/preview/TxdPage.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/AsNobody.h"
#include "support/DictionaryWriters.h"
#include "support/ModelWriters.h"
#include "support/PlacementWriters.h"

using namespace korvane;

namespace {

struct TMenuRow {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
};

std::vector<TDirRecord> Records(int n)
{
    std::vector<TDirRecord> r;
    for (int i = 0; i < n; ++i) r.push_back({uint32_t(i), 1, "F" + std::to_string(i) + ".TXD"});
    return r;
}

}  // namespace

TEST_F(WindowTest, StartStateOfTheWindowAndItsMenus)
{
    Start();
    EXPECT_EQ(form->windowTitle(), "Korvane 3.0");
    EXPECT_EQ(form->size(), QSize(719, 448));
    EXPECT_EQ(form->font().family(), "Arial");
    EXPECT_EQ(form->font().pixelSize(), 11);
    EXPECT_TRUE(form->acceptDrops());

    const TMenuRow items[] = {
        {"N2", "Открыть...", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"N4", "Выход", {}},
        {"N9", "Открыть", {}},
        {"N10", "Переименовать", QKeySequence(Qt::Key_F2)},
        {"N11", "Извлечь...", {}},
        {"N12", "Заменить...", {}},
        {"N13", "Добавить...", QKeySequence(Qt::Key_Insert)},
        {"ImportItem", "Импортировать...", {}},
        {"ImportFolderItem", "Импортировать папку...", {}},
        {"N14", "Удалить", QKeySequence(Qt::Key_Delete)},
        {"N6", "Найти...", {}},
        {"N7", "Найти далее", QKeySequence(Qt::Key_F3)},
        {"N15", "Найти все", {}},
        {"N32", "Показать результаты", {}},
        {"N17", "Перепаковать архив", {}},
        {"N20", "Проверить архив", {}},
        {"N22", "Интеграция в контекстное меню Проводника", {}},
        {"N19", "О программе", {}},
    };
    for (const TMenuRow& row : items) {
        auto* a = Find<QAction>(row.name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromUtf8(row.caption)) << row.name;
        EXPECT_EQ(a->shortcut(), row.shortcut) << row.name;
    }

    QStringList titles;
    for (QAction* a : form->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, QStringList({"Файл", "Правка", "Поиск", "Сервис", "Справка"}));
    EXPECT_FALSE(Find<QMenu>("N8")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("N5")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("N16")->isEnabled());
    EXPECT_FALSE(Find<QMenu>("N16")->menuAction()->isVisible());
    EXPECT_FALSE(Find<QAction>("N22")->isVisible());
    EXPECT_TRUE(Find<QAction>("N22")->isCheckable());
    EXPECT_FALSE(Find<QAction>("N22")->isChecked());
    EXPECT_TRUE(Find<QAction>("N6")->isEnabled());
    EXPECT_FALSE(Find<QAction>("N7")->isEnabled());
    EXPECT_FALSE(Find<QAction>("N15")->isEnabled());
    EXPECT_FALSE(Find<QAction>("N32")->isEnabled());
    EXPECT_TRUE(Find<QAction>("N32")->isCheckable());

    QStringList popup;
    for (QAction* a : Find<QMenu>("PopupMenu1")->actions()) popup << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(popup, QStringList({"Извлечь...", "Заменить...", "Удалить", "-", "Открыть", "Переименовать"}));

    auto* notebook = Find<QStackedWidget>("Notebook1");
    // Default, TXD, DFF, IPL, then the collision and animation pages.
    ASSERT_EQ(notebook->count(), 6);
    EXPECT_EQ(notebook->widget(4)->objectName() + notebook->widget(5)->objectName(), "COLIFP");
    EXPECT_EQ(notebook->currentIndex(), 0);
    EXPECT_EQ(notebook->width(), 264);
    EXPECT_EQ(notebook->minimumWidth(), 260);
    auto* label = Find<QLabel>("Label4");
    EXPECT_EQ(label->text(), "Файлы не выбраны или их формат не поддерживается");
    EXPECT_TRUE(label->wordWrap());
    EXPECT_NE(Find<QSplitter>("Splitter1"), nullptr);
    EXPECT_NE(Find<QStatusBar>("StatusBar1"), nullptr);

    auto* list = Find<QTableView>("ListView1");
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->font().family(), "Courier New");
    const char* captions[] = {"№", "Имя", "Адрес", "Размер"};
    const int widths[] = {60, 200, 80, 80};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(list->model()->headerData(k, Qt::Horizontal).toString(), QString::fromUtf8(captions[k]));
        EXPECT_EQ(list->columnWidth(k), widths[k]);
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(Find<TFindDialog>("FindDialog1")->isVisible());
}

TEST_F(WindowTest, CommandLineOpensTheFirstArgumentThatIsAnExistingFile)
{
    WriteBytes(dir.File("b.img"), Ver2Bytes(Records(3)));
    Start({Q(dir.File("missing.img")), Q(dir.Path()), Q(dir.File("b.img")), Q(dir.File("missing2.img"))});
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("b.img"));
    EXPECT_EQ(form->ListModel()->rowCount(), 3);
    EXPECT_EQ(form->StatusText(), "Загрузка завершена");
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(WindowTest, AFolderOnTheCommandLineOpensNothing)
{
    Start({Q(dir.Path())});
    EXPECT_TRUE(form->Cat().ArchivePath.empty());
    EXPECT_FALSE(Find<QMenu>("N8")->menuAction()->isEnabled());
    EXPECT_FALSE(Find<QMenu>("N5")->menuAction()->isEnabled());
    EXPECT_TRUE(statusTexts.isEmpty());
}

TEST_F(WindowTest, OpeningADirFileOpensTheImgBesideIt)
{
    WriteBytes(dir.File("gta3.img"), std::string(4096, 'x'));
    WriteBytes(dir.File("gta3.dir"), ImgDirBytes({{0, 1, "VIRGO.DFF"}, {1, 3, "LANDSTAL.DFF"}}));
    Start({Q(dir.File("gta3.dir"))});
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("gta3.img"));
    EXPECT_EQ(form->Cat().DirPath, dir.File("gta3.dir"));
    EXPECT_EQ(form->Cat().ArchiveKind, akImg);
    EXPECT_EQ(form->ListModel()->CellText(1, 2), "00000800");
    EXPECT_EQ(form->ListModel()->CellText(1, 3), "6 КБ");
}

TEST_F(WindowTest, ProgressIsShownOncePerPercent)
{
    WriteBytes(dir.File("a.img"), Ver2Bytes(Records(201)));
    Start();
    form->Load(dir.File("a.img"));
    QStringList expected{"Загрузка..."};
    for (int p = 0; p <= 100; ++p) expected << QStringLiteral("Загрузка: %1%").arg(p);
    expected << "Загрузка завершена";
    EXPECT_EQ(statusTexts, expected);
    EXPECT_EQ(form->ListModel()->rowCount(), 201);
    EXPECT_EQ(form->Order().SortColumn, -1);
}

TEST_F(WindowTest, OneEntryShowsOneHundredPercentOnceAndNoEntriesShowNone)
{
    WriteBytes(dir.File("one.img"), Ver2Bytes(Records(1)));
    WriteBytes(dir.File("none.img"), Ver2Bytes({}));
    Start();
    form->Load(dir.File("one.img"));
    EXPECT_EQ(statusTexts, QStringList({"Загрузка...", "Загрузка: 100%", "Загрузка завершена"}));
    statusTexts.clear();
    form->Load(dir.File("none.img"));
    EXPECT_EQ(statusTexts, QStringList({"Загрузка...", "Загрузка завершена"}));
    EXPECT_EQ(form->ListModel()->rowCount(), 0);
    EXPECT_TRUE(form->Cat().Entries.empty());
    EXPECT_TRUE(Find<QMenu>("N8")->menuAction()->isEnabled());
}

TEST_F(WindowTest, ANewArchiveKeepsNothingOfTheNamesBefore)
{
    WriteBytes(dir.File("long.syb"), SybBytes({{std::string(300, 'L'), 4}}));
    WriteBytes(dir.File("short.img"), Ver2Bytes({{1, 1, "ABCDEFGHIJKLMNOPQRSTUVWX"}}));
    Start({Q(dir.File("long.syb"))});
    EXPECT_EQ(form->ListModel()->CellText(0, 1), QString(300, 'L'));
    form->Load(dir.File("short.img"));
    EXPECT_EQ(form->ListModel()->CellText(0, 1), "ABCDEFGHIJKLMNOPQRSTUVWX");
    for (size_t k = 24; k < sizeof(TArchiveEntry::Name); ++k) ASSERT_EQ(form->Cat().Entries[0].Name[k], '\0');
}

TEST_F(WindowTest, EditingCommandsFollowTheArchiveKind)
{
    WriteBytes(dir.File("v.img"), Ver2Bytes(Records(2)));
    WriteBytes(dir.File("b.big"), BigBytes({{0x34, 16, "a.txt"}}));
    WriteBytes(dir.File("s.syb"), SybBytes({{"a.txt", 3}}));
    Start();
    const char* editing[] = {"N10", "N12", "N13", "ImportItem", "ImportFolderItem", "N14", "N25", "N26", "N29"};
    form->Load(dir.File("v.img"));
    for (const char* name : editing) EXPECT_TRUE(Find<QAction>(name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QMenu>("N16")->isEnabled());
    EXPECT_FALSE(Find<QMenu>("N16")->menuAction()->isVisible());
    for (const char* file : {"b.big", "s.syb"}) {
        form->Load(dir.File(file));
        for (const char* name : editing) EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << file << " " << name;
        EXPECT_FALSE(Find<QMenu>("N16")->isEnabled());
        EXPECT_TRUE(Find<QMenu>("N8")->menuAction()->isEnabled());
        EXPECT_TRUE(Find<QMenu>("N5")->menuAction()->isEnabled());
    }
}

TEST_F(WindowTest, AnArchiveThatMayNotBeWrittenIsOnlyViewed)
{
    // One entry of each previewed kind, a sector each.
    const std::string entries[] = {
        DictionaryBytes({Dxt1Texture("t", 4, 4, [](unsigned, unsigned) { return 0xFF0000FFu; })}),
        ModelBytes({QuadGeometry(1, true)}), BinaryIplBytes({})};
    std::string img;
    for (const std::string& e : entries) img += e + std::string(2048 - e.size(), '\0');
    WriteBytes(dir.File("a.img"), img);
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "T.TXD"}, {1, 1, "M.DFF"}, {2, 1, "P.IPL"}}));
    for (const char* f : {"a.img", "a.dir"}) ::chmod(dir.File(f).c_str(), 0444);
    Start();
    ActAsNobody(dir.Path(), [&] {
        form->Load(dir.File("a.img"));
        EXPECT_EQ(form->StatusText(), "Загрузка завершена (только чтение)");
        // The previews, the picture and the thumbnail worker read through handles of their own.
        for (int row : {1, 2, 0}) {
            form->ListView()->selectRow(row);
            EXPECT_EQ(Find<QStackedWidget>("Notebook1")->currentIndex(), row + 1);
        }
        auto* page = Find<TTxdPage>("TXD");
        page->WaitForThumbnails();
        EXPECT_GE(page->Thumbnails().at(0).ImageIndex, 0);
        EXPECT_TRUE(prompts.Messages().isEmpty());
        EXPECT_TRUE(Find<QAction>("N9")->isEnabled() && Find<QAction>("N11")->isEnabled());
        for (const char* name : {"N10", "N12", "N13", "N14", "N25", "N26", "N29", "N39", "N40", "N41"})
            EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << name;
    });
}

TEST_F(WindowTest, OpenResetsTheSearchState)
{
    WriteBytes(dir.File("v.img"), Ver2Bytes(Records(2)));
    Start();
    auto* find = Find<TFindDialog>("FindDialog1");
    find->SetFindText("abc");
    for (const char* n : {"N7", "N15", "N32"}) Find<QAction>(n)->setEnabled(true);
    Find<QAction>("N32")->setChecked(true);
    form->Load(dir.File("v.img"));
    EXPECT_TRUE(find->FindText().isEmpty());
    for (const char* n : {"N7", "N15", "N32"}) EXPECT_FALSE(Find<QAction>(n)->isEnabled()) << n;
    EXPECT_FALSE(Find<QAction>("N32")->isChecked());
    EXPECT_TRUE(Find<QAction>("N6")->isEnabled());
}

TEST_F(WindowTest, MissingDirAnsweredNoKeepsThePreviousArchive)
{
    WriteBytes(dir.File("old.big"), BigBytes({{0x34, 16, "a.txt"}, {0x44, 16, "c.txt"}}));
    WriteBytes(dir.File("new.img"), "data");
    Start({Q(dir.File("old.big"))});
    statusTexts.clear();
    prompts.AnswerQuestion(QMessageBox::No);
    form->Load(dir.File("new.img"));

    ASSERT_EQ(prompts.calls.size(), 1u);
    const TPromptCall& q = prompts.calls[0];
    EXPECT_EQ(q.kind, "question");
    EXPECT_EQ(q.text, "Файл '" + Q(dir.File("new.dir")) + "' не найден. Вы желаете указать его местоположение?");
    EXPECT_EQ(q.caption, "Необходимый файл не найден");
    EXPECT_EQ(q.icon, QMessageBox::Information);
    EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);

    EXPECT_EQ(form->Cat().ArchiveKind, akBig);
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("old.big"));
    EXPECT_EQ(form->Cat().DirPath, dir.File("old.big"));
    EXPECT_EQ(form->ListModel()->rowCount(), 2);
    EXPECT_EQ(form->ListModel()->CellText(1, 1), "c.txt");
    EXPECT_FALSE(Find<QAction>("N13")->isEnabled());
    EXPECT_TRUE(statusTexts.isEmpty());
    EXPECT_EQ(form->StatusText(), "Загрузка завершена");
}

TEST_F(WindowTest, MissingDirIsAskedForUntilOneIsPickedOrTheDialogIsCancelled)
{
    WriteBytes(dir.File("new.img"), "data");
    WriteBytes(dir.File("elsewhere.dir"), ImgDirBytes({{0, 1, "A.TXD"}, {1, 1, "B.TXD"}}));
    Start();
    // Yes, then a file that is not there either, then Yes and the real one.
    prompts.AnswerQuestion(QMessageBox::Yes);
    prompts.AnswerOpen(Q(dir.File("gone.dir")));
    prompts.AnswerQuestion(QMessageBox::Yes);
    prompts.AnswerOpen(Q(dir.File("elsewhere.dir")));
    form->Load(dir.File("new.img"));
    ASSERT_EQ(prompts.calls.size(), 4u);
    EXPECT_EQ(prompts.calls[1].dialog, "OpenDialog2");
    EXPECT_EQ(prompts.calls[1].filter, "Файл DIR (*.dir)|*.dir|Все файлы|*.*");
    EXPECT_TRUE(prompts.calls[2].text.contains(Q(dir.File("gone.dir"))));
    EXPECT_EQ(form->Cat().DirPath, dir.File("elsewhere.dir"));
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("new.img"));
    EXPECT_EQ(form->ListModel()->rowCount(), 2);

    prompts.calls.clear();
    WriteBytes(dir.File("other.img"), "data");
    prompts.AnswerQuestion(QMessageBox::Yes);
    prompts.AnswerOpen(QString());
    form->Load(dir.File("other.img"));
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("new.img"));
    EXPECT_EQ(form->ListModel()->rowCount(), 2);
}

TEST_F(WindowTest, AnOpenThatFailsPartWayLeavesThePreviousArchiveWhole)
{
    WriteBytes(dir.File("good.img"), Ver2Bytes(Records(5)));
    WriteBytes(dir.File("bad.img"), Ver2Bytes(Records(2), 0, 3));
    Start({Q(dir.File("good.img"))});
    form->SortList(1);
    const tDWORDArray order = form->Order().RowOrder;
    statusTexts.clear();

    prompts.AnswerOpen(Q(dir.File("bad.img")));
    Find<QAction>("N2")->trigger();
    ASSERT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    const TPromptCall& box = prompts.calls.back();
    EXPECT_EQ(box.caption, "Korvane");
    EXPECT_EQ(box.icon, QMessageBox::Critical);

    EXPECT_EQ(form->Cat().ArchivePath, dir.File("good.img"));
    EXPECT_EQ(form->Cat().Entries.size(), 5u);
    EXPECT_EQ(form->Order().RowOrder, order);
    EXPECT_EQ(form->Order().SortColumn, 1);
    EXPECT_EQ(form->ListModel()->rowCount(), 5);
    EXPECT_EQ(form->StatusText(), "Загрузка завершена");
    EXPECT_EQ(statusTexts, QStringList({"Загрузка...", "Загрузка завершена"}));
}

TEST_F(WindowTest, UnopenableArchivesShowTheRuntimeMessage)
{
    Start();
    prompts.AnswerOpen(Q(dir.File("nothing.img")));
    Find<QAction>("N2")->trigger();
    prompts.AnswerOpen(Q(dir.Path()));
    Find<QAction>("N2")->trigger();
    EXPECT_EQ(prompts.Messages(), QStringList({"File not found.", "File access denied."}));
    EXPECT_TRUE(form->Cat().ArchivePath.empty());
}

TEST_F(WindowTest, OpenDialogUsesTheArchiveFilterAndCancelChangesNothing)
{
    WriteBytes(dir.File("a.img"), Ver2Bytes(Records(4)));
    Start({Q(dir.File("a.img"))});
    form->SortList(1);
    form->SortList(1);
    const tDWORDArray order = form->Order().RowOrder;

    prompts.AnswerOpen(QString());
    Find<QAction>("N2")->trigger();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].dialog, "OpenDialog1");
    EXPECT_EQ(prompts.calls[0].filter,
              "Архивы Grand Theft Auto (*.img)|*.img|Архивы Syberia 2 (*.syb)|*.syb|"
              "Архивы Harry Potter and the Goblet of Fire (*.big)|*.big|Все файлы (*.*)|*.*");
    EXPECT_EQ(form->Order().RowOrder, order);
    EXPECT_EQ(form->Order().SortColumn, 1);
    EXPECT_EQ(form->ListModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Имя •");

    prompts.AnswerOpen(Q(dir.File("a.img")));
    Find<QAction>("N2")->trigger();
    EXPECT_EQ(form->Order().SortColumn, -1);
    EXPECT_EQ(form->Order().RowOrder, tDWORDArray({0, 1, 2, 3}));
    // The header keeps its mark until the next sort.
    EXPECT_EQ(form->ListModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Имя •");
}

TEST_F(WindowTest, DroppingSeveralFilesOpensTheFirst)
{
    WriteBytes(dir.File("one.img"), Ver2Bytes(Records(1)));
    WriteBytes(dir.File("two.img"), Ver2Bytes(Records(2)));
    WriteBytes(dir.File("three.img"), Ver2Bytes(Records(3)));
    Start();
    // Drops go to the widget that accepted the drag's entry.
    auto drop = [this](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &event);
    };
    drop({QUrl::fromLocalFile(Q(dir.File("two.img"))), QUrl::fromLocalFile(Q(dir.File("one.img"))),
          QUrl::fromLocalFile(Q(dir.File("three.img")))});
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("two.img"));
    EXPECT_EQ(form->ListModel()->rowCount(), 2);

    // A dropped folder ends in the open's error.
    drop({QUrl::fromLocalFile(Q(dir.Path()))});
    EXPECT_EQ(prompts.Messages(), QStringList({"File access denied."}));
    EXPECT_EQ(form->Cat().ArchivePath, dir.File("two.img"));
}

TEST_F(WindowTest, AboutBoxIsShownModally)
{
    Start();
    Find<QAction>("N19")->trigger();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "modal");
    EXPECT_EQ(prompts.calls[0].dialog, "Form5");
    EXPECT_EQ(prompts.calls[0].caption, "О программе");
    auto* about = Find<QDialog>("Form5");
    EXPECT_EQ(about->size(), QSize(419, 136));
    EXPECT_EQ(about->minimumSize(), about->maximumSize());
    auto* title = about->findChild<QLabel*>("Label1");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Korvane 3.0");
    EXPECT_TRUE(title->font().italic());
    EXPECT_EQ(title->font().pixelSize(), 24);
}

TEST_F(WindowTest, ExitClosesTheWindowAndSetsClosing)
{
    Start();
    Find<QAction>("N4")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->Closing());
}

TEST_F(WindowTest, ShellIntegrationWritesAndRemovesTheDesktopEntry)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("data")));
    Start();
    auto* item = Find<QAction>("N22");
    const std::string entry = dir.File("data/applications/korvane-open-img.desktop");
    item->trigger();
    EXPECT_TRUE(item->isChecked());
    ASSERT_TRUE(FileExists(entry));
    const std::string text = ReadBytes(entry);
    EXPECT_NE(text.find("Name=Открыть в Korvane\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"" + QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString() + "\" %f\n"),
              std::string::npos);
    EXPECT_NE(text.find("MimeType=application/x-korvane-img;application/x-raw-disk-image;"), std::string::npos);
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(FileExists(entry));
    EXPECT_TRUE(prompts.Messages().isEmpty());

    // A folder that cannot be made is reported; removing nothing is silent.
    WriteBytes(dir.File("blocked"), "");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.File("blocked")));
    item->trigger();
    item->trigger();
    EXPECT_EQ(prompts.Messages().size(), 1);
    if (saved.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

TEST(ShellIntegrationEntry, ExecQuotesReservedCharacters)
{
    const std::string text = ShellIntegrationEntryText("/opt/my \"k\" $dir\\bin/korvane%");
    EXPECT_NE(text.find("Exec=\"/opt/my \\\\\"k\\\\\" \\\\$dir\\\\\\\\bin/korvane%%\" %f\n"), std::string::npos) << text;
}
