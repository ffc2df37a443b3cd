// Entries dragged out of the list: extracted into a fresh temporary folder
// and handed to the drop target as file URLs. The drop itself is played by a
// stand-in for QDrag::exec, which looks at what a file manager would get.
#include <QDir>
#include <QDrag>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTableView>
#include <QTest>
#include <QUrl>
#include <filesystem>

#include "AppFixture.h"
#include "app/EntryDragOut.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"

using namespace korvane;

namespace {

std::string Bytes(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + size_t(seed) * 31 + 5) % 239);
    return s;
}

// What the drop target was offered, with the bytes of the files it would
// copy, read while the drag runs.
struct TDropSeen {
    int drags = 0;
    QList<QUrl> urls;
    std::vector<std::string> folders;  // the folders of the URLs
    Qt::DropActions actions;
    QObject* source = nullptr;
};

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        out.push_back(std::filesystem::relative(e.path(), folder).string() + (e.is_directory() ? "/" : ""));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

class DragOutTest : public WindowTest {
protected:
    void SetUp() override
    {
        // The temporary folder of these runs lies inside the test's folder,
        // so that everything written can be seen.
        oldTmp_ = qgetenv("TMPDIR");
        hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
        std::filesystem::create_directory(dir.File("tmp"));
        qputenv("TMPDIR", QFile::encodeName(Q(dir.File("tmp"))));
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        if (hadTmp_)
            qputenv("TMPDIR", oldTmp_);
        else
            qunsetenv("TMPDIR");
    }
    void StartWith(const std::string& archive)
    {
        Start({Q(archive)});
        form->DragOut()->Exec = [this](QDrag* drag, Qt::DropActions actions) {
            ++seen.drags;
            seen.urls = drag->mimeData()->urls();
            seen.actions = actions;
            seen.source = drag->source();
            // The target copies as soon as it has the URLs: the files are
            // complete by then.
            copied.clear();
            for (const QUrl& url : seen.urls) {
                const std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
                if (std::filesystem::is_directory(path)) {
                    for (const auto& e : std::filesystem::recursive_directory_iterator(path))
                        if (e.is_regular_file()) copied[e.path().string()] = ReadBytes(e.path().string());
                } else {
                    copied[path] = ReadBytes(path);
                }
            }
            return Qt::CopyAction;
        };
    }
    QTableView* List() { return form->ListView(); }
    QPoint RowPoint(int row) { return List()->visualRect(List()->model()->index(row, 1)).center(); }
    void ClickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, mods, RowPoint(row));
    }
    // Presses on a row and moves the mouse away with the button held, as a
    // user starting a drag does; the button is let go over the drop target,
    // so the list never sees it come up.
    void DragFromRow(int row, int distance)
    {
        QWidget* vp = List()->viewport();
        const QPoint at = RowPoint(row);
        auto send = [&](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
            QMouseEvent e(type, pos, vp->mapToGlobal(pos), Qt::LeftButton, buttons, Qt::NoModifier);
            QCoreApplication::sendEvent(vp, &e);
        };
        send(QEvent::MouseButtonPress, at, Qt::LeftButton);
        send(QEvent::MouseMove, at + QPoint(1, 1), Qt::LeftButton);
        send(QEvent::MouseMove, at + QPoint(distance, distance), Qt::LeftButton);
    }
    QList<int> Selected()
    {
        QList<int> rows;
        for (const QModelIndex& i : List()->selectionModel()->selectedRows()) rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::string Tmp() { return dir.File("tmp"); }
    std::string Url(int i) { return QFile::encodeName(seen.urls.value(i).toLocalFile()).toStdString(); }

    TDropSeen seen;
    std::map<std::string, std::string> copied;

private:
    QByteArray oldTmp_;
    bool hadTmp_ = false;
};

TEST_F(DragOutTest, SelectedRowsBecomeTheTopLevelItemsOfAFreshFolder)
{
    const std::string txd =
        DictionaryBytes({Bgra32Texture("sky", "", 4, 4, [](unsigned, unsigned) { return 0x8000FF00u; })});
    const std::string data = Bytes(2048, 1) + txd + std::string(2 * 2048 - txd.size(), '\0') + Bytes(2048, 3);
    ASSERT_LE(txd.size(), 2u * 2048);
    WriteBytes(dir.File("a.img"), data);
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "a.bin"}, {1, 2, "sub\\x.txd"}, {3, 1, "c.dat"}}));
    StartWith(dir.File("a.img"));
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    ASSERT_EQ(Selected(), QList<int>({0, 1}));

    // A small move is still a click.
    DragFromRow(1, 2);
    EXPECT_EQ(seen.drags, 0);
    QTest::mouseRelease(List()->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(1) + QPoint(2, 2));
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);

    // Dragging one of the selected rows takes them all along.
    DragFromRow(1, QApplication::startDragDistance() + 4);
    ASSERT_EQ(seen.drags, 1);
    EXPECT_TRUE(prompts.Messages().isEmpty()) << prompts.Messages().join("|").toStdString();
    EXPECT_EQ(Selected(), QList<int>({0, 1}));
    ASSERT_EQ(seen.urls.size(), 2);
    const std::string folder = std::filesystem::path(Url(0)).parent_path().string();
    EXPECT_EQ(std::filesystem::path(folder).parent_path().string(), Tmp());
    EXPECT_EQ(Url(0), folder + "/a.bin");
    EXPECT_EQ(Url(1), folder + "/sub");
    EXPECT_EQ(seen.actions, Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(seen.source, List());
    EXPECT_EQ(copied, (std::map<std::string, std::string>{{folder + "/a.bin", data.substr(0, 2048)},
                                                         {folder + "/sub/x.txd", data.substr(2048, 4096)}}));
    EXPECT_EQ(Listing(Tmp()), (std::vector<std::string>{std::filesystem::path(folder).filename().string() + "/",
                                                       std::filesystem::path(folder).filename().string() + "/a.bin",
                                                       std::filesystem::path(folder).filename().string() + "/sub/",
                                                       std::filesystem::path(folder).filename().string() + "/sub/x.txd"}));

    // The next drag gets a folder of its own; an unselected row pressed on
    // is selected and dragged alone.
    DragFromRow(2, QApplication::startDragDistance() + 4);
    ASSERT_EQ(seen.drags, 2);
    EXPECT_EQ(Selected(), QList<int>({2}));
    ASSERT_EQ(seen.urls.size(), 1);
    EXPECT_NE(std::filesystem::path(Url(0)).parent_path().string(), folder);
    EXPECT_EQ(std::filesystem::path(Url(0)).filename().string(), "c.dat");
    EXPECT_EQ(copied, (std::map<std::string, std::string>{{Url(0), data.substr(3 * 2048)}}));

    // The copies stay while the window lives (the target may still be
    // copying), and go with it.
    EXPECT_TRUE(std::filesystem::exists(folder + "/sub/x.txd"));
    form.reset();
    EXPECT_TRUE(Listing(Tmp()).empty());
}

TEST_F(DragOutTest, AnUnsafeNameIsRefusedAndNothingIsDragged)
{
    WriteBytes(dir.File("a.img"), Bytes(3 * 2048, 2));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "ok.bin"}, {1, 1, "..\\..\\evil.bin"}, {2, 1, "/abs.bin"}}));
    StartWith(dir.File("a.img"));
    ClickRow(0);
    ClickRow(2, Qt::ShiftModifier);
    DragFromRow(1, QApplication::startDragDistance() + 4);
    EXPECT_EQ(seen.drags, 0);
    EXPECT_EQ(prompts.Messages(),
              QStringList({"Not extracted, the name leads outside the chosen folder: \"..\\..\\evil.bin\", \"/abs.bin\""}));
    // Nothing is left in the temporary folder, and nothing was written beside it.
    EXPECT_TRUE(Listing(Tmp()).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("evil.bin")));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dir.Path()).parent_path() / "evil.bin"));
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{"a.dir", "a.img", "tmp/"}));
}

TEST_F(DragOutTest, ArchivesThatCannotBeChangedCanBeDraggedFrom)
{
    WriteBytes(dir.File("b.big"), BigBytes({{0x30, 5, "one.txt"}, {0x35, 3, "two.txt"}}) + "12345abc");
    StartWith(dir.File("b.big"));
    ClickRow(0);
    ClickRow(1, Qt::ShiftModifier);
    DragFromRow(0, QApplication::startDragDistance() + 4);
    ASSERT_EQ(seen.drags, 1);
    EXPECT_TRUE(prompts.Messages().isEmpty());
    ASSERT_EQ(seen.urls.size(), 2);
    EXPECT_EQ(copied, (std::map<std::string, std::string>{{Url(0), "12345"}, {Url(1), "abc"}}));
    EXPECT_EQ(std::filesystem::path(Url(1)).filename().string(), "two.txt");

    // On a list sorted by name, descending, the top row is the last entry.
    form->SortList(1);
    form->SortList(1);
    ClickRow(0);
    DragFromRow(0, QApplication::startDragDistance() + 4);
    ASSERT_EQ(seen.drags, 2);
    ASSERT_EQ(seen.urls.size(), 1);
    EXPECT_EQ(std::filesystem::path(Url(0)).filename().string(), "two.txt");
    EXPECT_EQ(copied, (std::map<std::string, std::string>{{Url(0), "abc"}}));
}

TEST_F(DragOutTest, TopLevelItemsOfRelativePaths)
{
    EXPECT_EQ(TopLevelItems({"a.bin", "sub/x.txd", "sub/y.txd", "./c//d", "a.bin", "", "."}),
              QStringList({"a.bin", "sub", "c"}));
}
