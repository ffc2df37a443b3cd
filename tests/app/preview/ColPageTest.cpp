// The "COL" page: the model list, the first model shown, and the picture the
// model view draws of faces, wireframes and the shadow mesh.
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <QTreeView>

#include "app/AppFixture.h"
#include "app/preview/ColPage.h"
#include "app/preview/ModelView.h"
#include "app/preview/PageArchive.h"
#include "formats/col/CollisionWriter.h"

using namespace korvane;

namespace {

// "pad": faces of material 0 over x -6..-2, y -2..2; a box over x 2..6,
// y -2..2, z 0..1; a shadow square over x -1..1, y -1..1. "post": nothing.
std::string Pads()
{
    TCollisionModelData pad;
    pad.Name = "pad";
    pad.Radius = 7;
    pad.Shape.Vertices = {{-6, -2, 0}, {-2, -2, 0}, {-2, 2, 0}, {-6, 2, 0}};
    pad.Shape.Faces = {{0, 1, 2, 0, 0}, {0, 2, 3, 0, 0}};
    pad.Shape.Boxes = {{{2, -2, 0}, {6, 2, 1}, 0}};
    pad.Shape.ShadowVertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    pad.Shape.ShadowFaces = {{0, 1, 2, 0, 0}, {0, 2, 3, 0, 0}};
    TCollisionModelData post;
    post.Version = 2;
    post.Name = "post";
    post.ModelId = 9;
    return CollisionModelBytes(pad) + CollisionModelBytes(post);
}

bool IsMaterial0(QRgb c) { return qRed(c) > qGreen(c) + 40 && qRed(c) > qBlue(c) + 40; }
bool IsShadow(QRgb c) { return qBlue(c) > qRed(c) + 40; }
bool IsBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }

}  // namespace

class ColPageTest : public WindowTest {
protected:
    void Open(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        WriteBytes(dir.File("a.img"), PageArchive(entries));
        Start({Q(dir.File("a.img"))});
        page = Find<TColPage>("COL");
        view = Find<TModelView>("ColView");
    }
    void Select(int row)
    {
        QTableView* list = form->ListView();
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString Cell(int row, int column)
    {
        QAbstractItemModel* m = Find<QTreeView>("ColModels")->model();
        return m->data(m->index(row, column)).toString();
    }
    // Whether a pixel within two of (x, y) passes `is`: lines are one pixel wide.
    template <class TIs>
    bool Near(const QImage& img, int x, int y, TIs is)
    {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (is(img.pixel(x + dx, y + dy))) return true;
        return false;
    }

    TColPage* page = nullptr;
    TModelView* view = nullptr;
};

TEST_F(ColPageTest, TheFirstModelIsShownLitWithWireframesAndTheShadowOnRequest)
{
    Open({{"pads.col", Pads()}, {"a.txt", "x"}});
    Select(0);
    EXPECT_EQ(Find<QStackedWidget>("Notebook1")->currentWidget(), page);
    EXPECT_EQ(Find<QLabel>("ColTotals")->text(), "2 моделей, 2 граней");
    ASSERT_EQ(page->Models().size(), 2u);
    EXPECT_EQ(Cell(1, 0) + Cell(1, 1) + Cell(1, 2), "post29");
    EXPECT_EQ(page->SelectedModel(), 0);
    // Ten radii from the target.
    EXPECT_NEAR(CameraDistance(view->CameraPosition()), 70, 1e-4);

    // Straight above at 40: 755.9 / 40 = 18.9 pixels a unit, +x right, +y up.
    view->SetCameraPosition({0, -0.001, 40});
    QImage img = view->grabFramebuffer();
    const int cx = img.width() / 2, cy = img.height() / 2;
    const double unit = 755.9 / 40;
    auto X = [&](double x) { return cx + int(std::lround(x * unit)); };
    EXPECT_TRUE(IsMaterial0(img.pixel(X(-4), cy))) << std::hex << img.pixel(X(-4), cy);
    EXPECT_TRUE(Near(img, X(6), cy, [](QRgb c) { return qRed(c) > 150 && qGreen(c) > 150 && qBlue(c) < 60; }));
    EXPECT_TRUE(IsBlack(img.pixel(X(4), cy)));
    EXPECT_TRUE(IsBlack(img.pixel(cx, cy)));
    Find<QCheckBox>("ColShadow")->setChecked(true);
    img = view->grabFramebuffer();
    EXPECT_TRUE(IsShadow(img.pixel(cx, cy))) << std::hex << img.pixel(cx, cy);
    // Collision faces show from below too: nothing is culled.
    view->SetCameraPosition({0, -0.001, -40});
    img = view->grabFramebuffer();
    EXPECT_TRUE(IsMaterial0(img.pixel(X(-4), cy)));

    // The second model has nothing to draw.
    Find<QTreeView>("ColModels")->setCurrentIndex(Find<QTreeView>("ColModels")->model()->index(1, 0));
    EXPECT_TRUE(view->Meshes()[0].empty());
    EXPECT_TRUE(view->Lines().empty());
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(ColPageTest, ADamagedModelIsReportedAfterTheModelsBeforeIt)
{
    std::string bytes = Pads();
    bytes += "COL3";
    bytes += std::string("\xFF\xFF\0\0", 4) + "liar";  // past the entry, sector padding and all
    Open({{"bad.col", bytes}});
    Select(0);
    ASSERT_EQ(page->Models().size(), 2u);
    EXPECT_EQ(page->SelectedModel(), 0);
    ASSERT_EQ(prompts.Messages().size(), 1);
    EXPECT_TRUE(prompts.Messages()[0].contains("(number 3) is damaged: it runs past the end of the file"))
        << prompts.Messages()[0].toStdString();
}
