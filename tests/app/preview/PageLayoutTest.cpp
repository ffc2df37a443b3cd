// Every preview page at the window's first size (719 × 448): the widgets of
// its header and its list stand clear of each other inside the page, each as
// wide as its text, and the first column of the page's list has room for a
// 12-character name.
#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "app/AppFixture.h"
#include "app/list/EntryListModel.h"
#include "app/preview/PageArchive.h"
#include "demo/DemoArchives.h"
#include "formats/col/CollisionWriter.h"
#include "formats/ifp/AnimationWriter.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"

using namespace korvane;

namespace {

struct TPageCase {
    const char* entry;  // the entry shown
    bool gameView;      // "Как в игре" checked, which brings the colour buttons
    const char* page;
    std::vector<const char*> header;  // the header's widgets, in no order
    const char* list;   // the list below them
    QString firstName;  // the name in the list's first row, first column ("" for a text page)
};

// How the first column's first row lays out its text: the views' own rows
// keep the style's margin on each side (PM_FocusFrameHMargin + 1); the part
// list's check box comes before the text; the texture rows draw the name from
// 4 pixels in to 104 pixels before the right edge, where the thumbnails stand.
int TextRoom(QAbstractItemView* view)
{
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int cell = std::min(view->visualRect(view->model()->index(0, 0)).right() + 1, view->viewport()->width());
    if (view->objectName() == "ListBox1") return cell - 4 - 104;
    if (view->model()->index(0, 0).data(Qt::CheckStateRole).isValid())
        return cell - view->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view) - 4 * margin;
    return cell - 2 * margin;
}

}  // namespace

TEST_F(WindowTest, EveryPageIsReadableAtTheFirstSize)
{
    TCollisionModelData barrier;
    barrier.Name = "barrier_long";
    barrier.ModelId = 1410;
    barrier.Shape.Vertices = {{0, 0, 0}, {4, 0, 0}, {4, 1, 2}};
    barrier.Shape.Faces = {{0, 1, 2, 0, 0}};
    TCollisionModelData post = barrier;
    post.Name = "post";
    // Scaling keys give the bones' second column its longest text.
    const std::vector<TAnimationData> climb = {
        {"climb_jump_b", {{"Bip01 Pelvis", 0, TKeyKind::kRotationTranslationScale, {0, 0.5f}}}}};
    std::vector<std::pair<std::string, std::string>> entries = DemoEntries();
    entries.push_back({"signs.txd", DictionaryBytes({Dxt1Texture("barrier_long", 8, 8, [](unsigned, unsigned) {
                                                         return 0xFF808080u;
                                                     })})});
    entries.push_back({"barriers.col", CollisionModelBytes(barrier) + CollisionModelBytes(post)});
    entries.push_back({"climb.ifp", AnimationPackageBytes("ANPK", "climb", climb)});
    WriteBytes(dir.File("a.img"), PageArchive(entries));
    Start({Q(dir.File("a.img"))});
    ASSERT_EQ(form->size(), QSize(719, 448));

    const TPageCase cases[] = {
        {"signs.txd", false, "TXD", {"Label6", "Label8", "Label9"}, "ListBox1", "barrier_long"},
        {"lamp.dff", false, "DFF", {"Label1", "Label3", "Label2", "GameView"}, "CheckListBox1", "< Часть #1 >"},
        {"cart.dff", true, "DFF", {"Label1", "Label3", "Label2", "GameView", "Colour1", "Colour2"}, "CheckListBox1",
         "chassis"},
        {"street.ipl", false, "IPL", {"Label5", "Label7"}, "Memo1", ""},
        {"barriers.col", false, "COL", {"ColName", "ColSize", "ColTotals", "ColShadow"}, "ColModels", "barrier_long"},
        {"climb.ifp", false, "IFP", {"IfpName", "IfpSize", "IfpTotals"}, "IfpAnimations", "climb_jump_b"},
        {"climb.ifp", false, "IFP", {"IfpName", "IfpSize", "IfpTotals"}, "IfpBones", "Bip01 Pelvis"},
    };
    for (const TPageCase& c : cases) {
        SCOPED_TRACE(std::string(c.entry) + " " + c.list);
        Find<QCheckBox>("GameView")->setChecked(c.gameView);
        QTableView* list = form->ListView();
        int row = 0;
        while (row < list->model()->rowCount() && form->ListModel()->CellText(row, 1) != c.entry) ++row;
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::qWait(20);  // layouts settle through posted events
        auto* page = Find<QWidget>(c.page);
        ASSERT_EQ(Find<QStackedWidget>("Notebook1")->currentWidget(), page);

        std::vector<QWidget*> widgets;
        for (const char* name : c.header) widgets.push_back(page->findChild<QWidget*>(name));
        widgets.push_back(page->findChild<QWidget*>(c.list));
        std::vector<std::pair<QWidget*, QRect>> shown;
        for (QWidget* w : widgets) {
            ASSERT_NE(w, nullptr);
            if (!w->isVisibleTo(page)) continue;
            const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
            EXPECT_TRUE(page->rect().contains(r)) << w->objectName().toStdString() << " leaves the page";
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString() << " cuts its text";
            }
            for (const auto& [other, rect] : shown)
                EXPECT_FALSE(r.intersects(rect))
                    << w->objectName().toStdString() << " covers " << other->objectName().toStdString();
            shown.emplace_back(w, r);
        }
        EXPECT_EQ(shown.size(), widgets.size()) << "a widget of the header is hidden";

        if (c.firstName.isEmpty()) continue;
        auto* view = page->findChild<QAbstractItemView*>(c.list);
        // The texture rows draw their names themselves and give them as their accessible text.
        const QModelIndex first = view->model()->index(0, 0);
        const QString name = first.data().toString().isEmpty() ? first.data(Qt::AccessibleTextRole).toString()
                                                                : first.data().toString();
        ASSERT_EQ(name, c.firstName);
        EXPECT_GE(TextRoom(view), view->fontMetrics().horizontalAdvance(c.firstName));
    }
    Find<QCheckBox>("GameView")->setChecked(false);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}
