// Every text the window shows, gathered from the widget trees of its pages
// and from every dialog it asks through the prompts: in English not one
// Cyrillic letter; in Russian exactly the texts it has always shown
// (tests/app/WindowTextsRussian.txt; KORVANE_UPDATE_TEXTS=1 rewrites it).
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QItemSelectionModel>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTranslator>
#include <filesystem>

#include "AppFixture.h"
#include "app/FindDialog.h"
#include "app/TranslatedWords.h"
#include "app/Translations.h"
#include "app/preview/TxdPage.h"
#include "demo/DemoArchives.h"
#include "formats/picture/PngWriter.h"
#include "ops/ArchiveOps.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"

namespace {

bool HasCyrillic(const QString& s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0x0400 && c.unicode() <= 0x052F; });
}

// The texts one widget shows, as "Class/objectName what: text" lines.
void CollectWidget(QWidget* w, QStringList& out)
{
    const QString where = QString::fromLatin1(w->metaObject()->className()) + '/' + w->objectName();
    const auto add = [&](const QString& what, const QString& text) {
        if (!text.isEmpty()) out << where + ' ' + what + ": " + text;
    };
    if (w->isWindow()) add("title", w->windowTitle());
    if (w->accessibleName() != w->objectName()) add("accessible", w->accessibleName());
    add("tooltip", w->toolTip());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add("text", b->text());
    if (auto* l = qobject_cast<QLabel*>(w)) add("text", l->text());
    if (auto* t = qobject_cast<QTabBar*>(w))
        for (int i = 0; i < t->count(); ++i) add("tab", t->tabText(i));
    if (auto* m = qobject_cast<QMenu*>(w)) {
        add("title", m->title());
        for (QAction* a : m->actions()) add("action " + a->objectName(), a->text());
    }
    // A placement file's text is the file's own, never translated; a list's
    // header shows its view's captions.
    if (qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QHeaderView*>(w)) return;
    if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model()) {
        const QAbstractItemModel* m = v->model();
        for (int c = 0; c < m->columnCount(); ++c) add("header", m->headerData(c, Qt::Horizontal).toString());
        // Cells with words: names and sizes, not numbers and addresses.
        for (int r = 0; r < std::min(m->rowCount(), 40); ++r)
            for (int c = 0; c < m->columnCount(); ++c)
                if (const QString t = m->index(r, c).data().toString(); t.contains(QRegularExpression("\\p{L}")))
                    add("cell", t);
    }
}

QStringList CollectAll(QWidget* root)
{
    QStringList out;
    CollectWidget(root, out);
    for (QWidget* w : root->findChildren<QWidget*>()) CollectWidget(w, out);
    return out;
}

}  // namespace

class WindowLanguageTest : public WindowTest {
protected:
    void TearDown() override
    {
        WindowTest::TearDown();
        for (QTranslator* t : translators_) delete t;  // which uninstalls it
    }
    void Use(TWindowLanguage language)
    {
        bool missing = false;
        translators_ = InstallTranslations(language, {QStringLiteral(KORVANE_QM_DIR)}, &missing);
        ASSERT_FALSE(missing) << "korvane_en.qm not found in " KORVANE_QM_DIR;
    }
    void Settle()
    {
        if (auto* txd = form->findChild<TTxdPage*>()) txd->WaitForThumbnails();
        QTest::qWait(50);  // runs the events meanwhile
    }
    void Select(std::initializer_list<int> rows)
    {
        QTableView* list = form->ListView();
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Settle();
    }
    void Trigger(const char* action)
    {
        Find<QAction>(action)->trigger();
        Settle();
    }
    // Opens the demo archive and goes through every page and dialog,
    // gathering what is shown.
    QStringList Walk()
    {
        const std::vector<std::string> archives = korvane::MakeDemoArchives(dir.Path());
        // Qt's colour dialog shows Qt's own texts; its title is in the calls.
        prompts.onModal = [this](QDialog* d) {
            if (!qobject_cast<QColorDialog*>(d)) texts_ << CollectAll(d);
        };
        Start({Q(archives[1])});
        Settle();
        // Every page, and the DFF page's parts as the game places them (7).
        for (int row : {-1, 0, 1, 2, 7, 9, 10}) {
            Select({row});
            Find<QCheckBox>("GameView")->setChecked(row == 7);
            Settle();
            texts_ << CollectAll(form.get());
        }

        // Dialogs, each cancelled or answered "No".
        Select({7});
        Find<QCheckBox>("GameView")->setChecked(true);
        Find<QPushButton>("Colour1")->click();  // a vehicle's colour
        Find<QCheckBox>("GameView")->setChecked(false);
        Select({0});
        prompts.AnswerOpen({});
        Trigger("N39");  // a texture's picture
        prompts.AnswerSave({});
        Trigger("N21");  // a texture exported
        Select({1});
        prompts.AnswerSave({});
        Trigger("N38");  // a model exported
        Select({2});
        prompts.AnswerSave({});
        Trigger("N37");  // a placement file converted
        Select({0});
        prompts.AnswerSave({});
        Trigger("N11");  // one entry extracted
        Select({0, 1});
        prompts.AnswerFolder({});
        Trigger("N11");  // several
        prompts.AnswerQuestion(QMessageBox::No);
        Trigger("N14");
        Select({0});
        Trigger("N10");  // the rename dialog, left as shown
        Trigger("N19");  // the about box
        Trigger("N20");  // the check
        Trigger("N6");   // the find dialog
        auto* find = Find<TFindDialog>("FindDialog1");
        texts_ << CollectAll(find);
        find->SetFindText(QStringLiteral("nothing-has-this-name"));
        Trigger("N15");
        Trigger("N7");
        find->hide();
        prompts.AnswerOpen({});
        Trigger("N2");
        // An .img whose .dir is missing.
        const std::string lone = dir.Path() + "/lone.img";
        std::filesystem::copy_file(archives[0], lone);
        prompts.AnswerQuestion(QMessageBox::No);
        form->Load(lone);
        Settle();
        // The check's two reports.
        for (const char* name : {"bad name.txt", "OK.TXT"}) {
            const std::string file = dir.File(std::string(name, 3) + ".img");
            WriteBytes(file, Ver2OneSectorEach({{"ok.txt", "x"}, {name, "x"}}));
            form->Load(file);
            Trigger("N20");
        }
        // A picture with see-through pixels put into a DXT1 texture.
        const std::string txd = dir.File("t.img");
        WriteBytes(txd, Ver2OneSectorEach({{"t.txd", DictionaryBytes({Dxt1Texture(
                                                         "road", 8, 8, [](unsigned, unsigned) { return 0xFF0000FFu; })})}}));
        korvane::TTextureBitmap picture;
        picture.Width = picture.Height = 8;
        picture.Pixels.assign(8 * 8 * 4, 0x80);
        WriteBytes(dir.File("clear.png"), korvane::PngBytes(picture, korvane::TPngChannels::Rgba));
        form->Load(txd);
        Select({0});
        auto* textures = Find<QListView>("ListBox1");
        textures->setCurrentIndex(textures->model()->index(0, 0));
        prompts.AnswerOpen(Q(dir.File("clear.png")));
        Trigger("N39");

        // Another program's change met by a command, then one while idle.
        const std::string shared = dir.File("shared.img");
        WriteBytes(shared, Ver2OneSectorEach({{"a.txt", "x"}}));
        form->Load(shared);
        const auto addOutside = [&](const std::string& name) {
            WriteBytes(dir.File(name), "y");
            korvane::ops::TLockedCatalogue held = korvane::ops::OpenForChanging(shared);
            korvane::TEntryChanges changes;
            korvane::ops::Add(held, dir.File(name), changes);
        };
        addOutside("b.txt");
        Select({0});
        prompts.AnswerQuestion(QMessageBox::Yes);
        Trigger("N14");
        addOutside("c.txt");
        EXPECT_TRUE(QTest::qWaitFor([this] { return form->ListView()->model()->rowCount() == 3; }, 5000));

        for (const TPromptCall& c : prompts.calls)
            texts_ << c.kind + ' ' + c.dialog + ": " + c.text + " | " + c.caption + " | " + c.filter;
        for (const QString& s : statusTexts) texts_ << "status: " + s;
        texts_.replaceInStrings(Q(dir.Path()), QStringLiteral("TEMP"));
        texts_.removeDuplicates();
        return texts_;
    }

private:
    std::vector<QTranslator*> translators_;
    QStringList texts_;
};

TEST_F(WindowLanguageTest, InEnglishNoTextShowsARussianLetter)
{
    Use(TWindowLanguage::wlEnglish);
    const QStringList texts = Walk();
    EXPECT_GT(texts.size(), 100);
    QStringList russian;
    for (const QString& t : texts)
        if (HasCyrillic(t)) russian << t;
    EXPECT_TRUE(russian.isEmpty()) << "texts still in Russian:\n" << russian.join('\n').toStdString();
}

TEST_F(WindowLanguageTest, InRussianEveryTextIsAsItHasAlwaysBeen)
{
    Use(TWindowLanguage::wlRussian);
    const QString texts = Walk().join('\n') + '\n';
    QFile golden(QStringLiteral(KORVANE_SOURCE_DIR "/tests/app/WindowTextsRussian.txt"));
    if (qEnvironmentVariableIsSet("KORVANE_UPDATE_TEXTS")) {
        ASSERT_TRUE(golden.open(QIODevice::WriteOnly));
        golden.write(texts.toUtf8());
        GTEST_SKIP() << "rewrote " << golden.fileName().toStdString();
    }
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QStringList want = QString::fromUtf8(golden.readAll()).split('\n');
    const QStringList got = texts.split('\n');
    QStringList diff;
    for (const QString& t : got)
        if (!want.contains(t)) diff << "+ " + t;
    for (const QString& t : want)
        if (!got.contains(t)) diff << "- " + t;
    EXPECT_TRUE(diff.isEmpty()) << "texts shown (+) or no longer shown (-) in Russian:\n"
                                << diff.join('\n').toStdString();
    if (diff.isEmpty()) EXPECT_TRUE(got == want) << "the same texts, in another order";
}

// The window's words for the core's texts are the same English the command
// line prints, and in Russian the core's own.
TEST_F(WindowLanguageTest, TheCoreWordsMatchTheCommandLinesInBothLanguages)
{
    using W = korvane::TTextWords;
    const auto same = [](const W& a, const W& b) {
        EXPECT_EQ(a.ColumnCaptions, b.ColumnCaptions);
        for (std::string_view W::*m : {&W::Bytes, &W::KB, &W::MB, &W::GB, &W::Vertices, &W::Polygons, &W::Models,
                                       &W::Faces, &W::Part, &W::CheckPassed, &W::BadNameCaption, &W::BadNameText,
                                       &W::DuplicatesCaption, &W::DuplicatesText, &W::NotFound})
            EXPECT_EQ(a.*m, b.*m);
    };
    same(TTranslatedWords().Words(), korvane::RussianWords);
    Use(TWindowLanguage::wlEnglish);
    same(TTranslatedWords().Words(), korvane::EnglishWords);
}
