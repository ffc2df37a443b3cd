// The "DFF" page as in the game for vehicles: paint and lamp colours, the
// colour buttons, the shared vehicle dictionary and the real cars' wheels.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <optional>

#include "app/AppFixture.h"
#include "app/preview/DffPage.h"
#include "app/preview/ModelView.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/ModelWriters.h"

using namespace korvane;

namespace {

std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<TDirRecord> records;
    uint32_t sector = 1;
    for (const auto& [name, bytes] : entries) {
        const uint32_t size = std::max<uint32_t>(1, uint32_t((bytes.size() + 2047) / 2048));
        records.push_back({sector, size, name});
        sector += size;
    }
    std::string out = Ver2Bytes(records, uint64_t(sector) * 2048);
    for (size_t i = 0; i < entries.size(); ++i) out.replace(records[i].offset * 2048, entries[i].second.size(), entries[i].second);
    return out;
}

// Four 2×2 quads in a row along x at -6, -2, 2 and 6, facing up, in the
// materials given (one each).
std::string FourQuads(const std::vector<TRwMaterial>& materials)
{
    TRwGeometry g;
    g.Flags = 0x10 | 0x04;
    for (int q = 0; q < 4; ++q) {
        const float x = -6.f + 4.f * float(q);
        const uint16_t b = uint16_t(4 * q);
        for (const TXyz& p : {TXyz{x - 1, -1, 0}, TXyz{x + 1, -1, 0}, TXyz{x + 1, 1, 0}, TXyz{x - 1, 1, 0}}) {
            g.Positions.push_back(p);
            g.Normals.push_back({0, 0, 1});
        }
        g.Triangles.push_back({uint16_t(b + 1), b, uint16_t(q), uint16_t(b + 2)});
        g.Triangles.push_back({uint16_t(b + 2), b, uint16_t(q), uint16_t(b + 3)});
    }
    g.TexSets = {std::vector<TUv>(g.Positions.size(), TUv{0.5f, 0.5f})};
    g.Radius = 8;
    g.Materials = materials;
    return ModelBytes({g});
}

}  // namespace

class DffPageVehicleTest : public WindowTest {
protected:
    void SetUp() override { QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")).remove(QStringLiteral("Model")); }
    void Open(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        WriteBytes(dir.File("a.img"), Archive(entries));
        Start({Q(dir.File("a.img"))});
        page = Find<TDffPage>("DFF");
        parts = Find<QListWidget>("CheckListBox1");
        view = Find<TModelView>("GLSceneViewer1");
    }
    void Select(int row)
    {
        QTableView* list = form->ListView();
        list->clearSelection();
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The pixels at the centres of the four quads, seen from straight above.
    std::vector<QRgb> QuadPixels()
    {
        view->SetCameraPosition({0, -0.01, 60});
        const QImage img = view->grabFramebuffer();
        std::vector<QRgb> out;
        const int w = img.width(), h = img.height();
        // 60 above, half a side of S pixels spans S / 1511.8 · 60 units.
        for (int q = 0; q < 4; ++q) out.push_back(img.pixel(w / 2 + int((-6 + 4 * q) * 755.9 / 60), h / 2));
        return out;
    }
    // The next colour dialog is answered with `colour`, or cancelled.
    void AnswerColour(std::optional<QColor> colour)
    {
        prompts.onModal = [colour](QDialog* d) {
            auto* dialog = qobject_cast<QColorDialog*>(d);
            ASSERT_NE(dialog, nullptr);
            if (!colour) return dialog->reject();
            dialog->setCurrentColor(*colour);
            dialog->accept();
        };
    }

    TDffPage* page = nullptr;
    QListWidget* parts = nullptr;
    TModelView* view = nullptr;
};

bool Grey(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 30; }
bool Only(QRgb c, int channel)  // 0 red, 1 green, 2 blue
{
    const int v[3] = {qRed(c), qGreen(c), qBlue(c)};
    for (int k = 0; k < 3; ++k)
        if ((k == channel) != (v[k] > 30) || (k != channel && v[k] != 0)) return false;
    return true;
}

TEST_F(DffPageVehicleTest, MarkersDrawnInTheChosenColoursRemembered)
{
    const std::string model = FourQuads({{{60, 255, 0, 255}, "", ""},
                                         {{255, 0, 175, 255}, "", ""},
                                         {{255, 175, 0, 255}, "", ""},
                                         {{255, 60, 0, 255}, "", ""}});
    Open({{"car.dff", model}});
    auto* box = Find<QCheckBox>("GameView");
    auto* colour1 = Find<QPushButton>("Colour1");
    auto* colour2 = Find<QPushButton>("Colour2");
    EXPECT_EQ(colour1->text(), "Цвет 1");
    EXPECT_EQ(colour2->text(), "Цвет 2");
    Select(0);
    // Outside the game view: no buttons, every part grey as always.
    EXPECT_FALSE(colour1->isVisible());
    const std::vector<QRgb> flat = QuadPixels();
    for (QRgb c : flat) EXPECT_TRUE(Grey(c)) << std::hex << c;

    box->setChecked(true);
    EXPECT_TRUE(colour1->isVisible() && colour2->isVisible());
    std::vector<QRgb> px = QuadPixels();
    // Light grey body, darker grey trim, a pale front lamp, a dark red rear one.
    EXPECT_TRUE(Grey(px[0]) && Grey(px[1]) && qRed(px[1]) < qRed(px[0])) << std::hex << px[0] << " " << px[1];
    EXPECT_TRUE(qRed(px[2]) == qGreen(px[2]) && qBlue(px[2]) < qRed(px[2]) && qBlue(px[2]) > qRed(px[2]) * 9 / 10)
        << std::hex << px[2];
    EXPECT_TRUE(qRed(px[3]) > 8 * qGreen(px[3]) && qGreen(px[3]) == qBlue(px[3])) << std::hex << px[3];

    AnswerColour(QColor(0, 0, 255));
    colour1->click();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].kind, "modal");
    EXPECT_EQ(prompts.calls[0].dialog, "ColorDialog1");
    EXPECT_EQ(prompts.calls[0].caption, "Цвет 1");
    AnswerColour(QColor(0, 255, 0));
    colour2->click();
    px = QuadPixels();
    EXPECT_TRUE(Only(px[0], 2)) << std::hex << px[0];
    EXPECT_TRUE(Only(px[1], 1)) << std::hex << px[1];
    // Cancelled: nothing changes.
    AnswerColour(std::nullopt);
    colour1->click();
    EXPECT_EQ(QuadPixels(), px);
    EXPECT_EQ(page->Paint(), (TVehiclePaint{{0, 0, 255}, {0, 255, 0}}));

    // Remembered by the next window.
    form.reset();
    Open({{"car.dff", model}});
    EXPECT_EQ(page->Paint(), (TVehiclePaint{{0, 0, 255}, {0, 255, 0}}));
    Select(0);
    EXPECT_EQ(QuadPixels(), px);
    // Back out of the game view: grey as before.
    Find<QCheckBox>("GameView")->setChecked(false);
    EXPECT_EQ(QuadPixels(), flat);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(DffPageVehicleTest, SharedVehicleDictionarySuppliesWhatTheCarsOwnLacks)
{
    // Quad 0 names "carbody" (the car's own dictionary), quad 1 "wheel" in
    // the primary marker (only vehicle.txd has it, blue; the car's own
    // dictionary has none of that name), quad 2 "nowhere".
    const std::string model = FourQuads({{{255, 255, 255, 255}, "carbody", ""},
                                         {{60, 255, 0, 255}, "Wheel", ""},
                                         {{255, 255, 255, 255}, "nowhere", ""},
                                         {{255, 255, 255, 255}, "", ""}});
    const std::string own = DictionaryBytes({Bgra32Texture("carbody", "", 2, 2, [](unsigned, unsigned) { return 0xFFFF0000u; })});
    const std::string shared = DictionaryBytes({Bgra32Texture("carbody", "", 2, 2, [](unsigned, unsigned) { return 0xFF00FF00u; }),
                                                Bgra32Texture("WHEEL", "", 2, 2, [](unsigned, unsigned) { return 0xFF0000FFu; })});
    Open({{"car.dff", model}, {"car.txd", own}, {"Vehicle.TXD", shared}});
    Find<QCheckBox>("GameView")->setChecked(true);
    Select(0);
    EXPECT_EQ(page->Textures().Images.size(), 2u);
    const std::vector<QRgb> px = QuadPixels();
    EXPECT_TRUE(Only(px[0], 0)) << std::hex << px[0];  // the car's own red, not the shared green
    // The shared blue, modulated by the light grey paint.
    EXPECT_TRUE(Only(px[1], 2)) << std::hex << px[1];
    EXPECT_TRUE(Grey(px[2])) << std::hex << px[2];
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(DffPageVehicleTest, RealCarsStandOnFourWheelsOneRowForAll)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "the real samples are not there";
    std::vector<std::pair<std::string, std::string>> cars;
    std::vector<size_t> wheelTriangles;
    for (const char* car : {"infernus", "copcarla", "bullet"}) {
        const std::string path = root + "/dff/rwparser_" + car + ".dff";
        cars.push_back({std::string(car) + ".dff", ReadBytes(path)});
        TFileBytes f(path);
        TModelRead m;
        ReadModel(f, m);
        for (const TModelPlacement& p : AssembleModel(m))
            if (PlacementName(m, p) == "wheel") wheelTriangles.push_back(m.Parts[p.Geometry].Triangles.size());
    }
    ASSERT_EQ(wheelTriangles.size(), 3u);
    Open(cars);
    Find<QCheckBox>("GameView")->setChecked(true);
    for (int c = 0; c < 3; ++c) {
        Select(c);
        const QList<QListWidgetItem*> rows = parts->findItems(QStringLiteral("wheel"), Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1) << c;
        const int row = parts->row(rows[0]);
        const TSceneMesh& wheel = view->SceneMeshes()[size_t(row)];
        EXPECT_EQ(wheel.Vertices.size(), 4 * 3 * wheelTriangles[size_t(c)]) << c;
        parts->setCurrentRow(row);
        for (const TMeshVertex& v : view->SceneMeshes()[size_t(row)].Vertices) ASSERT_EQ(v.Colour.G, 0) << c;
        rows[0]->setCheckState(Qt::Unchecked);
        EXPECT_TRUE(view->SceneMeshes()[size_t(row)].Vertices.empty()) << c;
    }
    EXPECT_TRUE(prompts.Messages().isEmpty());
}
