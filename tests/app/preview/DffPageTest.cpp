// The "DFF" page: the part list, the totals, the meshes, the camera and the
// picture the view draws.
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <optional>

#include "app/AppFixture.h"
#include "app/preview/DffPage.h"
#include "app/preview/ModelView.h"
#include "formats/dff/GltfExport.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/GltfCheck.h"
#include "support/ModelWriters.h"

using namespace korvane;

namespace {

// A VER2 archive whose entries are the given files, each in sectors of its own.
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

// Two quads side by side on x: part 1 left of the origin, part 2 right of it.
std::string TwoQuads()
{
    TRwGeometry left = QuadGeometry(4, true), right = QuadGeometry(4, false);
    for (auto& p : left.Positions) p[0] -= 4;
    for (auto& p : right.Positions) p[0] += 4;
    left.Radius = right.Radius = 8;
    return ModelBytes({left, right});
}

bool IsGrey(QRgb c) { return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 60; }
bool IsRed(QRgb c) { return qRed(c) > 60 && qGreen(c) == 0 && qBlue(c) == 0; }
bool IsBlack(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }
// Channel k (0 red, 1 green, 2 blue) lit, the others 0.
bool Only(QRgb c, int k) { const int v[3] = {qRed(c), qGreen(c), qBlue(c)}; return v[k] > 30 && !v[(k + 1) % 3] && !v[(k + 2) % 3]; }

TTextureSpec Plain(const char* name, uint32_t bgra) { return Bgra32Texture(name, "", 2, 2, [bgra](unsigned, unsigned) { return bgra; }); }

}  // namespace

class DffPageTest : public WindowTest {
protected:
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
    QString Totals() { return Find<QLabel>("Label2")->text(); }
    QStringList Rows()
    {
        QStringList rows;
        for (int i = 0; i < parts->count(); ++i)
            rows << parts->item(i)->text() + (parts->item(i)->checkState() == Qt::Checked ? " x" : "");
        return rows;
    }
    // Colour of the first vertex of each part's mesh: 'r', 'g' (grey), '-' (empty).
    std::string Colours()
    {
        std::string s;
        for (const auto& m : view->Meshes()) s += m.empty() ? '-' : m[0].Colour.G == 0 ? 'r' : 'g';
        return s;
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint at)
    {
        QMouseEvent e(type, at, view->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    }

    // The quads' centres seen from 60 straight above (half a side of S
    // pixels spans S / 1511.8 · 60 units).
    std::vector<QRgb> QuadPixels()
    {
        view->SetCameraPosition({0, -0.01, 60});
        const QImage img = view->grabFramebuffer();
        std::vector<QRgb> out;
        for (int q = 0; q < 4; ++q) out.push_back(img.pixel(img.width() / 2 + int((-6 + 4 * q) * 755.9 / 60), img.height() / 2));
        return out;
    }
    // Clicks "Цвет N", the dialog answered with `colour` or cancelled.
    void ChooseColour(int n, std::optional<QColor> colour)
    {
        prompts.onModal = [colour](QDialog* d) {
            auto* dialog = qobject_cast<QColorDialog*>(d);
            ASSERT_NE(dialog, nullptr);
            dialog->setCurrentColor(colour.value_or(Qt::red));
            colour ? dialog->accept() : dialog->reject();
        };
        Find<QPushButton>(n == 1 ? "Colour1" : "Colour2")->click();
    }

    TDffPage* page = nullptr;
    QListWidget* parts = nullptr;
    TModelView* view = nullptr;
};

TEST_F(DffPageTest, OneGeometryIsOneCheckedGreyRow)
{
    Open({{"quad.dff", ModelBytes({QuadGeometry(2, true)})}});
    EXPECT_EQ(Totals(), "0 вершин, 0 полигонов");
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "имя файла");
    Select(0);
    EXPECT_EQ(Find<QStackedWidget>("Notebook1")->currentIndex(), 2);
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x"}));
    EXPECT_EQ(parts->currentRow(), -1);
    EXPECT_EQ(Totals(), "4 вершин, 2 полигонов");
    EXPECT_EQ(Colours(), "g");
    EXPECT_EQ(view->Meshes()[0].size(), 6u);
    // Ten radii from the target, in the starting direction.
    const TCameraPos p = view->CameraPosition();
    EXPECT_NEAR(CameraDistance(p), 10 * 2 * 1.4142135, 1e-4);
    EXPECT_NEAR(p.X / p.Z, 3, 1e-9);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(DffPageTest, ClickingAndCheckingRows)
{
    Open({{"two.dff", TwoQuads()}});
    Select(0);
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x", "< Часть #2 > x"}));
    EXPECT_EQ(Totals(), "8 вершин, 4 полигонов");
    EXPECT_EQ(Colours(), "gg");
    parts->setCurrentRow(1);
    EXPECT_EQ(Colours(), "gr");
    parts->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(Colours(), "g-");
    parts->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(Colours(), "--");
    // The totals count every part, checked or not.
    EXPECT_EQ(Totals(), "8 вершин, 4 полигонов");
    parts->item(1)->setCheckState(Qt::Checked);
    EXPECT_EQ(Colours(), "-r");
    // Flat normals for the part without stored ones: +Z, from B, A, C.
    EXPECT_EQ(view->Meshes()[1][0].Normal.Z, 1);
}

TEST_F(DffPageTest, ThePictureIsBlackWithARedSelectedAndGreyOtherParts)
{
    Open({{"two.dff", TwoQuads()}});
    Select(0);
    view->SetCameraPosition({0, -1, 80});  // nearly straight above
    QImage img = view->grabFramebuffer();
    ASSERT_FALSE(img.isNull());
    const int w = img.width(), h = img.height();
    const QRgb corner = img.pixel(1, 1), left = img.pixel(w / 2 - w / 8, h / 2), right = img.pixel(w / 2 + w / 8, h / 2);
    EXPECT_TRUE(IsBlack(corner)) << std::hex << corner;
    EXPECT_TRUE(IsGrey(left)) << std::hex << left;
    EXPECT_TRUE(IsGrey(right)) << std::hex << right;
    parts->setCurrentRow(1);
    img = view->grabFramebuffer();
    EXPECT_TRUE(IsGrey(img.pixel(w / 2 - w / 8, h / 2)));
    EXPECT_TRUE(IsRed(img.pixel(w / 2 + w / 8, h / 2))) << std::hex << img.pixel(w / 2 + w / 8, h / 2);
    parts->item(1)->setCheckState(Qt::Unchecked);
    img = view->grabFramebuffer();
    EXPECT_TRUE(IsBlack(img.pixel(w / 2 + w / 8, h / 2)));
    // Seen from below, the back faces are culled.
    parts->item(1)->setCheckState(Qt::Checked);
    view->SetCameraPosition({0, -1, -80});
    img = view->grabFramebuffer();
    EXPECT_TRUE(IsBlack(img.pixel(w / 2 - w / 8, h / 2)));
}

// From (60, 30, 20), 70 from the origin: forward (-6, -3, -2) / 7, side
// forward × z = (-1, 2, 0) / √5, up side × forward = (-4, -2, 15) / (7√5),
// and the origin 70 ahead.
TEST(ModelViewMatrix, LooksAtTheOriginWithZUp)
{
    const double r5 = std::sqrt(5.0), e[16] = {-1 / r5, 2 / r5, 0, 0, -4 / (7 * r5), -2 / (7 * r5), 15 / (7 * r5), 0,
                                               6 / 7.0, 3 / 7.0, 2 / 7.0, -70, 0, 0, 0, 1};
    const QMatrix4x4 m = ViewMatrix({60, 30, 20});
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m(i / 4, i % 4), e[i], 1e-5) << i;
}

TEST_F(DffPageTest, MouseOrbitZoomAndWheel)
{
    Open({{"quad.dff", ModelBytes({QuadGeometry(2, true)})}});
    Select(0);
    const TCameraPos start = view->CameraPosition();
    const double d = CameraDistance(start);
    // A 20-pixel right-drag upward: the distance times 1.1^10.
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {50, 60});
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, {50, 50});
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, {50, 40});
    EXPECT_NEAR(CameraDistance(view->CameraPosition()) / d, std::pow(1.1, 10), 1e-9);
    // A move with no button held changes nothing, not even the last position.
    view->GLSceneViewer1MouseMove(false, false, 7, 7);
    EXPECT_EQ(view->LastMouseY(), 40);
    // A long left-drag upward stops 0.025 radians from straight below.
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {50, 400});
    for (int y = 390; y >= -400; y -= 10) Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, {50, y});
    TCameraPos p = view->CameraPosition();
    EXPECT_NEAR(std::acos(p.Z / CameraDistance(p)), M_PI - 0.025, 1e-9);
    // The left button wins over the right.
    const double before = CameraDistance(p);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, {50, -420});
    EXPECT_NEAR(CameraDistance(view->CameraPosition()), before, 1e-9);
    // The wheel does nothing.
    p = view->CameraPosition();
    QWheelEvent wheel({20, 20}, view->mapToGlobal(QPoint(20, 20)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_EQ(view->CameraPosition().X, p.X);
    EXPECT_EQ(view->CameraPosition().Z, p.Z);
}

TEST_F(DffPageTest, AFailedLoadKeepsTheRowsSoFarTheTotalsAndTheCamera)
{
    std::string cut = TwoQuads();
    cut.resize(cut.size() - 300);  // into the second geometry's struct
    TRwGeometry zero = QuadGeometry(1, true);
    zero.Radius = 0;
    TRwClump negative;
    negative.Geometries = {QuadGeometry(1, true)};
    negative.PartCount = 0xFFFFFFFF;
    Open({{"good.dff", ModelBytes({QuadGeometry(3, true)})}, {"cut.dff", cut}, {"zero.dff", ModelBytes({zero})},
          {"junk.dff", std::string(64, '\x01')}, {"negative.dff", ClumpBytes(negative)}});
    Select(0);
    const TCameraPos fitted = view->CameraPosition();
    Select(1);
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "cut.dff");
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x", "< Часть #2 > x"}));
    EXPECT_EQ(Totals(), "4 вершин, 2 полигонов");
    EXPECT_EQ(view->CameraPosition().X, fitted.X);
    // The part read completely gets its mesh at the next click; the other has none.
    EXPECT_EQ(Colours(), "-");
    parts->setCurrentRow(1);
    EXPECT_EQ(Colours(), "g");
    // The failed preview leaves the list's menu as the click found it.
    EXPECT_NE(form->ListPopupMenu(), nullptr);

    // A largest radius of 0 leaves the camera where it is.
    Select(2);
    EXPECT_EQ(Totals(), "4 вершин, 2 полигонов");
    EXPECT_EQ(view->CameraPosition().X, fitted.X);

    // Not a model: nothing at all changes.
    Select(3);
    EXPECT_EQ(prompts.Messages().size(), 2);
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x"}));
    EXPECT_EQ(Colours(), "g");

    // A negative part count: the old meshes are gone, the old rows stay.
    Select(4);
    EXPECT_EQ(prompts.Messages().last(), "Range check error.");
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x"}));
    EXPECT_EQ(Colours(), "");
    parts->setCurrentRow(0);
    EXPECT_EQ(Colours(), "");
}

TEST_F(DffPageTest, RealCarDrawsAllItsParts)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "the real samples are not there";
    const std::string car = ReadBytes(root + "/dff/rwparser_infernus.dff");
    Open({{"infernus.dff", car}});
    Select(0);
    EXPECT_TRUE(prompts.Messages().isEmpty());
    EXPECT_EQ(parts->count(), 15);
    EXPECT_EQ(Colours(), std::string(15, 'g'));
    const QImage img = view->grabFramebuffer();
    EXPECT_TRUE(IsGrey(img.pixel(img.width() / 2, img.height() / 2)) ||
                IsBlack(img.pixel(img.width() / 2, img.height() / 2)));
}

namespace {

// A green-textured quad on the frame "body" left of the origin, a blue one
// on "bonnet_ok" right of it and its damaged version on "bonnet_dam".
std::string FramedCar()
{
    TRwGeometry skin = QuadGeometry(4, true), blue = QuadGeometry(4, false);
    skin.Flags |= 0x04;
    skin.TexSets = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    skin.Materials = {{{255, 255, 255, 255}, "skin", ""}};
    blue.Materials = {{{0, 0, 255, 255}, "", ""}};
    TRwClump c;
    c.Geometries = {skin, blue};
    c.Frames = {{{1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, -1, "car"},
                {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {-4, 0, 0}, 0, "body"},
                {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {4, 0, 0}, 0, "bonnet_ok"},
                {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {4, 0, 0}, 0, "bonnet_dam"}};
    c.Atomics = {{{1, 0}, {2, 1}, {3, 1}}};
    return ClumpBytes(c);
}

}  // namespace

TEST_F(DffPageTest, AsInGamePlacedTexturedRememberedAndBackToTheSamePixels)
{
    const std::string txd = DictionaryBytes({Bgra32Texture("SKIN", "", 2, 2, [](unsigned, unsigned) { return 0xFF00FF00u; })});
    Open({{"car.dff", FramedCar()}, {"CAR.TXD", txd}});
    auto* box = Find<QCheckBox>("GameView");
    EXPECT_EQ(box->text(), "Как в игре");
    EXPECT_FALSE(box->isChecked());
    Select(0);
    EXPECT_EQ(Rows(), QStringList({"< Часть #1 > x", "< Часть #2 > x"}));
    view->SetCameraPosition({0, -1, 80});
    const QImage flat = view->grabFramebuffer();
    const int w = flat.width(), h = flat.height();
    auto at = [&](const QImage& img, int dx) { return img.pixel(w / 2 + dx * w / 8, h / 2); };

    box->setChecked(true);
    EXPECT_EQ(Rows(), QStringList({"body x", "bonnet_ok x", "bonnet_dam"}));
    view->SetCameraPosition({0, -1, 80});
    QImage img = view->grabFramebuffer();
    // The texture's green under the white material; the blue material.
    EXPECT_TRUE(qGreen(at(img, -1)) > 60 && qRed(at(img, -1)) == 0 && qBlue(at(img, -1)) == 0) << std::hex << at(img, -1);
    EXPECT_TRUE(qBlue(at(img, 1)) > 60 && qRed(at(img, 1)) == 0 && qGreen(at(img, 1)) == 0) << std::hex << at(img, 1);
    parts->setCurrentRow(1);
    EXPECT_TRUE(IsRed(at(view->grabFramebuffer(), 1)));
    EXPECT_EQ(page->Textures().Images.size(), 1u);

    // Remembered by the next window.
    form.reset();
    Open({{"car.dff", FramedCar()}, {"CAR.TXD", txd}});
    box = Find<QCheckBox>("GameView");
    EXPECT_TRUE(box->isChecked());
    Select(0);
    EXPECT_EQ(parts->count(), 3);
    box->setChecked(false);
    view->SetCameraPosition({0, -1, 80});
    EXPECT_EQ(view->grabFramebuffer(), flat);
}

TEST_F(DffPageTest, ExportWritesTheCheckedPartsAsGltf)
{
    const std::string txd = DictionaryBytes({Bgra32Texture("SKIN", "", 2, 2, [](unsigned, unsigned) { return 0xFF00FF00u; })});
    Open({{"car.dff", FramedCar()}, {"car.txd", txd}});
    Select(0);
    EXPECT_EQ(page->PartsPopupMenu(), Find<QMenu>("PopupMenu4"));
    prompts.AnswerSave(Q(dir.File("all")));
    Find<QAction>("N38")->trigger();
    ASSERT_EQ(prompts.calls.size(), 1u);
    EXPECT_EQ(prompts.calls[0].dialog, "SaveDialog4");
    EXPECT_EQ(prompts.calls[0].filter, "glTF (*.glb)|*.glb");
    EXPECT_EQ(prompts.calls[0].text, "car");
    // Every part checked: the file the command line writes.
    WriteBytes(dir.File("car.dff"), FramedCar());
    WriteBytes(dir.File("car.txd"), txd);
    TFileBytes f(dir.File("car.dff"));
    TModelRead model;
    ReadModel(f, model);
    const auto placements = AssembleModel(model);
    EXPECT_EQ(ReadBytes(dir.File("all.glb")),
              GltfBytes(model, placements, {true, true, true}, FindModelTextures(model, {{dir.File("car.txd")}}), "car"));

    Find<QCheckBox>("GameView")->setChecked(true);  // bonnet_dam unchecked
    parts->item(0)->setCheckState(Qt::Unchecked);
    prompts.AnswerSave(Q(dir.File("one.glb")));
    Find<QAction>("N38")->trigger();
    const nlohmann::json j = GlbJson(ReadBytes(dir.File("one.glb")));
    EXPECT_EQ(j["meshes"].size(), 1u);
    EXPECT_EQ(j["nodes"][2]["mesh"], 0);  // bonnet_ok
    EXPECT_FALSE(j["nodes"][3].contains("mesh"));
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(DffPageTest, MarkersInTheChosenColoursRemembered)
{
    const std::string model = QuadsInARow({{{60, 255, 0, 255}, "", ""}, {{255, 0, 175, 255}, "", ""},
                                         {{255, 175, 0, 255}, "", ""}, {{255, 60, 0, 255}, "", ""}});
    QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")).remove(QStringLiteral("Model"));  // as at first
    Open({{"car.dff", model}});
    Select(0);
    // Outside the game view: no buttons, every part grey as always.
    EXPECT_FALSE(Find<QPushButton>("Colour1")->isVisible());
    const std::vector<QRgb> flat = QuadPixels();
    EXPECT_TRUE(IsGrey(flat[0]) && IsGrey(flat[3])) << std::hex << flat[0];

    Find<QCheckBox>("GameView")->setChecked(true);
    EXPECT_EQ(Find<QPushButton>("Colour1")->text() + Find<QPushButton>("Colour2")->text(), "Цвет 1Цвет 2");
    std::vector<QRgb> px = QuadPixels();
    // Light grey body, darker grey trim, a pale front lamp, a dark red rear one.
    EXPECT_TRUE(IsGrey(px[0]) && qRed(px[1]) == qGreen(px[1]) && qGreen(px[1]) == qBlue(px[1]) && qRed(px[1]) > 20 &&
                qRed(px[1]) < qRed(px[0])) << std::hex << px[0] << " " << px[1];
    EXPECT_TRUE(qRed(px[2]) == qGreen(px[2]) && qBlue(px[2]) < qRed(px[2]) && qBlue(px[2]) > qRed(px[2]) * 9 / 10) << std::hex << px[2];
    EXPECT_TRUE(qRed(px[3]) > 8 * qGreen(px[3]) && qGreen(px[3]) == qBlue(px[3])) << std::hex << px[3];

    ChooseColour(1, QColor(0, 0, 255));
    EXPECT_EQ(prompts.calls.at(0).kind + prompts.calls[0].dialog + prompts.calls[0].caption, "modalColorDialog1Цвет 1");
    ChooseColour(2, QColor(0, 255, 0));
    ChooseColour(1, std::nullopt);  // cancelled: changes nothing
    px = QuadPixels();
    EXPECT_TRUE(Only(px[0], 2) && Only(px[1], 1)) << std::hex << px[0] << " " << px[1];

    // Remembered by the next window; out of the game view, grey again.
    form.reset();
    Open({{"car.dff", model}});
    Select(0);
    EXPECT_EQ(page->Paint(), (TVehiclePaint{{0, 0, 255}, {0, 255, 0}}));
    EXPECT_EQ(QuadPixels(), px);
    Find<QCheckBox>("GameView")->setChecked(false);
    EXPECT_EQ(QuadPixels(), flat);
}

TEST_F(DffPageTest, SharedVehicleDictionarySuppliesWhatTheCarsOwnLacks)
{
    // "carbody" is red in the car's own dictionary and green in vehicle.txd;
    // "Wheel", on a body-paint material, is only in vehicle.txd, blue.
    const std::string model = QuadsInARow({{{255, 255, 255, 255}, "carbody", ""}, {{60, 255, 0, 255}, "Wheel", ""},
                                         {{255, 255, 255, 255}, "nowhere", ""}, {}});
    QSettings(QStringLiteral("Korvane"), QStringLiteral("Korvane")).remove(QStringLiteral("Model"));  // as at first
    Open({{"car.dff", model}, {"car.txd", DictionaryBytes({Plain("carbody", 0xFFFF0000u)})},
          {"Vehicle.TXD", DictionaryBytes({Plain("carbody", 0xFF00FF00u), Plain("WHEEL", 0xFF0000FFu)})}});
    Find<QCheckBox>("GameView")->setChecked(true);
    Select(0);
    const std::vector<QRgb> px = QuadPixels();
    // The car's own; the shared one times the light grey paint; the white material.
    EXPECT_TRUE(Only(px[0], 0) && Only(px[1], 2) && IsGrey(px[2])) << std::hex << px[0] << " " << px[1] << " " << px[2];
}
