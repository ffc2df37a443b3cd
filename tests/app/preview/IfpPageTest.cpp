// The "IFP" page: the animations of a package and the bones of the selected one.
#include <QItemSelectionModel>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeView>

#include "app/AppFixture.h"
#include "app/preview/IfpPage.h"
#include "app/preview/PageArchive.h"
#include "formats/ifp/AnimationWriter.h"

using namespace korvane;

class IfpPageTest : public WindowTest {
protected:
    void Open(const std::string& package)
    {
        WriteBytes(dir.File("a.img"), PageArchive({{"ped.ifp", package}}));
        Start({Q(dir.File("a.img"))});
        QTableView* list = form->ListView();
        list->selectionModel()->select(list->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        page = Find<TIfpPage>("IFP");
    }
    QString Rows(const char* list)
    {
        QAbstractItemModel* m = Find<QTreeView>(list)->model();
        QStringList rows;
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c) cells << m->data(m->index(r, c)).toString();
            rows << cells.join(' ');
        }
        return rows.join('|');
    }
    TIfpPage* page = nullptr;
};

TEST_F(IfpPageTest, AnimationsAndTheSelectedOnesBones)
{
    const std::vector<TAnimationData> anims = {
        {"walk", {{"Root", 0, TKeyKind::kRotationTranslation, {0, 0.5f, 1.25f}}, {"Pelvis", 7, TKeyKind::kRotation, {0, 2}}}},
        {"idle", {{"Spine", 3, TKeyKind::kRotation, {0, 1}}}}};
    Open(AnimationPackageBytes("ANP3", "ped", anims));
    EXPECT_EQ(Find<QStackedWidget>("Notebook1")->currentWidget(), page);
    EXPECT_EQ(Find<QLabel>("IfpTotals")->text(), "ANP3 «ped», 2 анимаций");
    EXPECT_EQ(Rows("IfpAnimations"), "walk 2 5 2.000|idle 1 2 1.000");
    EXPECT_EQ(page->SelectedAnimation(), 0);
    EXPECT_EQ(Rows("IfpBones"), "Root поворот, сдвиг 0 3|Pelvis поворот 7 2");
    page->SelectAnimation(1);
    EXPECT_EQ(Rows("IfpBones"), "Spine поворот 3 2");
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(IfpPageTest, ADamagedAnimationIsReportedAfterTheOnesBeforeIt)
{
    std::string bytes = AnimationPackageBytes("ANPK", "old", {{"a", {{"b", 0, TKeyKind::kRotationTranslationScale, {0, 1}}}}, {"c", {}}});
    bytes[4] = char(bytes[4] + 4);  // the declared size takes in four bytes more
    bytes += std::string("NAME\x20\0\0\0", 8);  // ...holding a third animation's name that runs past them
    bytes.replace(16, 1, "\3");                // three animations
    Open(bytes);
    EXPECT_EQ(Rows("IfpAnimations"), "a 1 2 1.000|c 0 0 0.000");
    EXPECT_EQ(Rows("IfpBones"), "b поворот, сдвиг, масштаб — 2");
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_TRUE(prompts.Messages()[0].contains("The animation number 3 is damaged: the animation runs past its end"))
        << prompts.Messages()[0].toStdString();
}
