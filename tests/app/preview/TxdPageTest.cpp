// The "TXD" page driven through the real window: the texture list, the
// pictures of the three modes, thumbnails from the worker, export.
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <thread>
#include <tuple>

#include "app/AppFixture.h"
#include "app/preview/ImageLoader.h"
#include "app/preview/PictureView.h"
#include "app/preview/TxdPage.h"
#include "base/FaultInjection.h"
#include "formats/picture/BmpWriter.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureDictionary.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"

using namespace korvane;

namespace {

// A VER2 archive of the given entries, each starting on a sector of its own.
std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<TDirRecord> records;
    uint32_t sector = 1;
    for (const auto& [name, data] : entries) {
        const uint32_t n = uint32_t(std::max<size_t>(1, (data.size() + 2047) / 2048));
        records.push_back({sector, n, name});
        sector += n;
    }
    std::string bytes = Ver2Bytes(records, uint64_t(sector) * 2048);
    for (size_t i = 0; i < entries.size(); ++i)
        bytes.replace(size_t(records[i].offset) * 2048, entries[i].second.size(), entries[i].second);
    return bytes;
}

uint32_t Solid(uint32_t argb) { return argb; }

// 0xRRGGBB of a picture's pixel.
uint32_t Rgb(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

uint32_t Grey(unsigned v) { return v << 16 | v << 8 | v; }

// Red texture with alpha 15 on its left half and 0 on its right half.
TTextureSpec HalfClear(const std::string& name, const std::string& mask)
{
    return Dxt3Texture(name, mask, 32, 16, [](unsigned x, unsigned) { return x < 16 ? 0xFFFF0000u : 0x00FF0000u; });
}

}  // namespace

class TxdPageTest : public WindowTest {
protected:
    void Open(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        WriteBytes(dir.File("a.img"), Archive(entries));
        Start({Q(dir.File("a.img"))});
        page = Find<TTxdPage>("TXD");
        list = Find<QListView>("ListBox1");
        image = Find<TPictureView>("Image1");
        tabs = Find<QTabBar>("TabSet1");
    }
    void SelectEntry(int row)
    {
        QTableView* view = form->ListView();
        view->clearSelection();
        view->selectionModel()->select(view->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    void SelectTexture(int row)
    {
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    // The list as drawn on screen.
    QImage Shot()
    {
        QApplication::processEvents();
        return list->viewport()->grab().toImage();
    }

    TTxdPage* page = nullptr;
    QListView* list = nullptr;
    TPictureView* image = nullptr;
    QTabBar* tabs = nullptr;
};

TEST_F(TxdPageTest, ListsTheTexturesAndShowsTheFirstInRgbPlusA)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("glass", "glassm"),
                                     Dxt1Texture("road", 64, 64, [](unsigned, unsigned) { return Solid(0xFF0000FF); }),
                                     Bgra32Texture("sky", "", 8, 8, [](unsigned, unsigned) { return 0x8000FF00u; })})}});
    SelectEntry(0);
    EXPECT_EQ(Find<QStackedWidget>("Notebook1")->currentIndex(), 1);
    QApplication::processEvents();
    EXPECT_EQ(Find<QWidget>("Panel2")->height(), 225);
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "3 текстур");
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_EQ(list->model()->index(1, 0).data(Qt::AccessibleTextRole).toString(), "road");
    ASSERT_TRUE(image->isVisible());
    EXPECT_TRUE(tabs->isEnabled());
    EXPECT_EQ(page->ListPopupMenu(), Find<QMenu>("PopupMenu2"));
    // RGB+A: red where opaque, the checkerboard where clear.
    const QImage& pic = image->Picture();
    ASSERT_EQ(pic.size(), QSize(32, 16));
    EXPECT_EQ(Rgb(pic, 3, 3), 0xFF0000u);
    EXPECT_EQ(Rgb(pic, 16, 0), Grey(192));
    EXPECT_EQ(Rgb(pic, 24, 0), Grey(255));
    EXPECT_EQ(Rgb(pic, 24, 8), Grey(192));

    // The three tabs.
    tabs->setCurrentIndex(2);
    EXPECT_EQ(Rgb(image->Picture(), 3, 3), Grey(240));
    EXPECT_EQ(Rgb(image->Picture(), 20, 3), 0u);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(Rgb(image->Picture(), 20, 3), 0xFF0000u);
    // Another texture while "Прозрачность" is shown brings back "RGB+A".
    tabs->setCurrentIndex(2);
    SelectTexture(2);
    EXPECT_EQ(tabs->currentIndex(), 0);
    // 32-bit green at alpha 128 over the checkerboard.
    EXPECT_EQ(Rgb(image->Picture(), 0, 0), 0x60E060u);
    // A control-click that leaves no texture selected hides the picture.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualRect(list->model()->index(2, 0)).center());
    ASSERT_TRUE(list->selectionModel()->selectedRows().isEmpty());
    EXPECT_FALSE(image->isVisible());
    EXPECT_FALSE(tabs->isEnabled());
    EXPECT_EQ(page->ListPopupMenu(), nullptr);
    EXPECT_TRUE(prompts.Messages().isEmpty());
}

TEST_F(TxdPageTest, ThumbnailsFillInRowByRow)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("glass", "glassm"),
                                     Dxt1Texture("road", 64, 64, [](unsigned, unsigned) { return Solid(0xFF0000FF); })})}});
    list->resize(300, 200);
    SelectEntry(0);
    {
        // Before the worker's hand-over (no events served yet): empty frames.
        list->doItemsLayout();
        const QImage before = list->viewport()->grab().toImage();
        const int R = list->viewport()->width();
        const uint32_t frame = list->palette().color(QPalette::Dark).rgb() & 0xFFFFFF;
        EXPECT_EQ(Rgb(before, R - 52, 2 + 20), frame);
        EXPECT_EQ(Rgb(before, R - 52 + 47, 2 + 20), frame);
        EXPECT_NE(Rgb(before, R - 52 + 20, 2 + 20), 0xFF0000u);
        // The mask name is written in navy for a texture with alpha.
        bool navy = false;
        for (int y = 0; y < 52 && !navy; ++y)
            for (int x = 0; x < R - 104 && !navy; ++x) {
                const QColor c = before.pixelColor(x, y);
                navy = c.red() < 40 && c.green() < 40 && c.blue() > 90;  // antialiased navy
            }
        EXPECT_TRUE(navy);
    }
    page->WaitForThumbnails();
    const std::vector<TThumbnailIndex>& t = page->Thumbnails();
    ASSERT_EQ(t.size(), 2u);
    ASSERT_GE(t[0].ImageIndex, 0);
    ASSERT_GE(t[0].MaskImageIndex, 0);
    ASSERT_GE(t[1].ImageIndex, 0);
    EXPECT_EQ(t[1].MaskImageIndex, -1);
    const QImage& thumb = page->ThumbnailImages()[size_t(t[0].ImageIndex)];
    const QImage& maskThumb = page->ThumbnailImages()[size_t(t[0].MaskImageIndex)];
    ASSERT_EQ(thumb.size(), QSize(48, 48));
    // A 32×16 texture squeezed into 48×48: column x comes from x·32 div 48.
    EXPECT_EQ(Rgb(thumb, 30, 40), 0xFF0000u);
    EXPECT_EQ(Rgb(maskThumb, 23, 0), Grey(240));
    EXPECT_EQ(Rgb(maskThumb, 24, 0), 0u);
    // Drawn on the rows: colour at R−52, mask at R−102.
    const QImage shot = Shot();
    const int R = list->viewport()->width();
    EXPECT_EQ(Rgb(shot, R - 52 + 5, 2 + 5), 0xFF0000u);
    EXPECT_EQ(Rgb(shot, R - 102 + 5, 2 + 5), Grey(240));
    EXPECT_EQ(Rgb(shot, R - 52 + 20, 52 + 2 + 20), 0x0000FFu);
}

TEST_F(TxdPageTest, ADictionaryOfNoTexturesHidesThePicture)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("glass", "")})}, {"b.txd", DictionaryBytes({})}});
    SelectEntry(0);
    ASSERT_TRUE(image->isVisible());
    SelectEntry(1);
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "0 текстур");
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(image->isVisible());
    EXPECT_FALSE(tabs->isEnabled());
    EXPECT_EQ(page->ListPopupMenu(), nullptr);
    page->WaitForThumbnails();
    EXPECT_TRUE(page->ImageLoader()->isFinished());
}

TEST_F(TxdPageTest, AFailureInTheTextureWalkKeepsWhatWasRead)
{
    // Count 3, two textures, then the end of the archive.
    const std::string txd = DictionaryBytes({HalfClear("one", ""), HalfClear("two", "")}, 3);
    Open({{"ok.dat", "x"}, {"a.txd", txd}});
    SelectEntry(0);
    ASSERT_NE(form->ListPopupMenu(), nullptr);
    SelectEntry(1);
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "3 текстур");
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(page->Textures().size(), 3u);
    EXPECT_EQ(page->Textures()[2].Name, "");
    EXPECT_EQ(list->currentIndex().row(), 0);
    EXPECT_TRUE(image->isVisible());
    EXPECT_EQ(Rgb(image->Picture(), 0, 0), 0xFF0000u);
    ASSERT_NE(page->ImageLoader(), nullptr);
    page->WaitForThumbnails();
    EXPECT_GE(page->Thumbnails()[1].ImageIndex, 0);
    // The dispatch's last step was skipped: the list's menu stays as it was.
    EXPECT_NE(form->ListPopupMenu(), nullptr);
}

TEST_F(TxdPageTest, AFailureBeforeTheCountLeavesTheOldTable)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("one", "")})}, {"b.txd", "not a stream"}});
    SelectEntry(0);
    SelectEntry(1);
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "b.txd");
    ASSERT_EQ(page->Textures().size(), 1u);
    EXPECT_EQ(page->Textures()[0].Name, "one");
    EXPECT_EQ(list->model()->rowCount(), 1);
}

TEST_F(TxdPageTest, ExportsColourAndMaskAsBmpFiles)
{
    const TTextureSpec glass = HalfClear("glass", "");
    Open({{"a.txd", DictionaryBytes({glass})}});
    SelectEntry(0);
    prompts.AnswerSave(Q(dir.File("out")));
    Find<QAction>("N21")->trigger();
    prompts.AnswerSave(Q(dir.File("m.bmp")));
    Find<QAction>("N23")->trigger();
    prompts.AnswerSave(QString());  // cancelled
    Find<QAction>("N21")->trigger();
    ASSERT_EQ(prompts.calls.size(), 3u);
    EXPECT_EQ(prompts.calls[0].dialog, "SaveDialog2");
    EXPECT_EQ(prompts.calls[0].text, "glass");
    EXPECT_EQ(prompts.calls[0].filter, "Точечный рисунок (*.bmp)|*.bmp|Рисунок PNG (*.png)|*.png");
    EXPECT_EQ(prompts.calls[1].text, "");  // no mask name
    EXPECT_TRUE(prompts.Messages().isEmpty());

    TTextureInfo t;
    t.Width = 32;
    t.Height = 16;
    t.DataSize = uint32_t(glass.data.size());
    const auto* data = reinterpret_cast<const uint8_t*>(glass.data.data());
    EXPECT_EQ(ReadBytes(dir.File("out.bmp")), BmpBytes(DecodeTexture(data, glass.data.size(), t, 32, 16, dmColor)));
    const std::string mask = ReadBytes(dir.File("m.bmp"));
    EXPECT_EQ(mask, BmpBytes(DecodeTexture(data, glass.data.size(), t, 32, 16, dmMask)));
    // Bottom-up rows of 24-bit pixels: the last row's first pixel is grey 240.
    EXPECT_EQ(mask.substr(54, 3), std::string(3, char(240)));
}

TEST_F(TxdPageTest, ExportsPngByTheChosenFilterOrTheTypedExtension)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("glass", "")})}});
    SelectEntry(0);
    // (name typed, filter chosen, mask): the PNG filter, a typed ".PNG", a typed ".bmp".
    for (auto [name, filter, action] : {std::tuple{"out", 1, "N21"}, {"typed.PNG", 0, "N21"}, {"m", 1, "N23"},
                                        {"typed.bmp", 1, "N21"}}) {
        prompts.AnswerSave(Q(dir.File(name)), filter);
        Find<QAction>(action)->trigger();
    }
    EXPECT_TRUE(prompts.Messages().isEmpty());
    // Opaque red on the left (alpha 15 → 255), clear on the right.
    const QImage png(Q(dir.File("out.png")), "PNG");
    EXPECT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(png.size(), QSize(32, 16));
    EXPECT_EQ(png.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(png.pixel(31, 15)), 0);
    EXPECT_EQ(QImage(Q(dir.File("typed.PNG")), "PNG"), png);
    // The mask has no alpha of its own: grey 240 for alpha 15.
    const QImage mask(Q(dir.File("m.png")), "PNG");
    EXPECT_FALSE(mask.hasAlphaChannel());
    EXPECT_EQ(mask.pixel(0, 0), 0xFFF0F0F0u);
    EXPECT_EQ(ReadBytes(dir.File("typed.bmp")).substr(0, 2), "BM");
}

TEST_F(TxdPageTest, AnUnsupportedTextureShowsAPlaceholder)
{
    TTextureSpec odd = MakeTexture("odd", "", 16, 16, std::string(100, '\x01'));  // no encoding has 100 bytes
    odd.rasterFormat = 0x500;
    Open({{"a.txd", DictionaryBytes({odd})}});
    list->resize(300, 100);
    SelectEntry(0);
    EXPECT_TRUE(prompts.Messages().isEmpty());
    EXPECT_EQ(image->PlaceholderText(), "unsupported");
    EXPECT_FALSE(Find<QAction>("N21")->isEnabled());
    page->WaitForThumbnails();
    EXPECT_EQ(page->Thumbnails()[0].ImageIndex, -1);
}

TEST_F(TxdPageTest, AWorkerStoppedWhileHandingOverDeliversIntoTheOldTable)
{
    std::vector<TTextureSpec> many;
    for (int i = 0; i < 40; ++i) many.push_back(HalfClear("t" + std::to_string(i), ""));
    Open({{"a.txd", DictionaryBytes(many)}, {"b.txd", DictionaryBytes({HalfClear("b0", ""), HalfClear("b1", "")})}});
    std::vector<std::pair<size_t, int>> handed;  // table size, index
    QObject::connect(page, &TTxdPage::ThumbnailHandedOver, [&](int i) { handed.push_back({page->Textures().size(), i}); });
    SelectEntry(0);
    // No events are served: the worker now waits in its first hand-over.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(handed.empty());
    SelectEntry(1);
    ASSERT_FALSE(handed.empty());
    EXPECT_EQ(handed[0], std::make_pair(size_t(40), 0));
    page->WaitForThumbnails();
    EXPECT_EQ(handed.back(), std::make_pair(size_t(2), 1));
    EXPECT_GE(page->Thumbnails()[1].ImageIndex, 0);
    // The old dictionary's thumbnails are let go: two textures with masks.
    EXPECT_EQ(page->ThumbnailImages().size(), 4u);
    // Closing the window with a worker waiting in a hand-over ends cleanly.
    SelectEntry(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    form.reset();
}

// The table, the picture shown and every thumbnail come from one read of the
// entry, however many textures it holds; choosing another texture reads nothing.
TEST_F(TxdPageTest, ADictionaryOf100TexturesIsReadFromTheArchiveOnce)
{
    std::vector<TTextureSpec> textures;
    for (unsigned i = 0; i < 100; ++i)
        textures.push_back(Dxt1Texture("t" + std::to_string(i), 4, 4, [i](unsigned, unsigned) { return 0xFF000000u | i; }));
    Open({{"a.txd", DictionaryBytes(textures)}});
    TFaultPlan countReads;
    countReads.FailAt = UINT64_MAX;
    countReads.Ops = foRead;
    const TFaultInjection reads(countReads);
    SelectEntry(0);
    page->WaitForThumbnails();
    SelectTexture(99);
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "100 текстур");
    ASSERT_EQ(page->Thumbnails().size(), 100u);
    EXPECT_GE(page->Thumbnails()[99].ImageIndex, 0);
    EXPECT_EQ(Rgb(image->Picture(), 0, 0), 99u);
    EXPECT_EQ(reads.Counted(), 1u);
}

TEST_F(TxdPageTest, PixelsPastTheEndOfTheArchiveFailCleanly)
{
    TTextureSpec liar = Dxt1Texture("liar", 8, 8, [](unsigned, unsigned) { return 0xFF00FF00u; });
    liar.dataSizeOverride = 0x7FFFFFF0;  // no such data
    Open({{"a.txd", DictionaryBytes({liar, HalfClear("fine", "")})}});
    SelectEntry(0);
    EXPECT_EQ(prompts.Messages(), QStringList({"Read beyond end of file."}));
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_TRUE(image->Picture().isNull());
    page->WaitForThumbnails();  // the worker ends silently at the first texture
    EXPECT_EQ(page->Thumbnails()[1].ImageIndex, -1);
    prompts.AnswerSave(Q(dir.File("x.bmp")));
    Find<QAction>("N21")->trigger();
    EXPECT_EQ(prompts.Messages().size(), 2);
    EXPECT_FALSE(QFile::exists(Q(dir.File("x.bmp"))));
    // The other texture still shows.
    SelectTexture(1);
    EXPECT_EQ(Rgb(image->Picture(), 0, 0), 0xFF0000u);
}

TEST_F(TxdPageTest, PalettedAndDxt5TexturesShowInEveryModeWithThumbnails)
{
    // PAL8 with alpha: opaque red on the left, clear blue on the right.
    TTextureSpec pal = PalTexture("pal", 16, 16, false, {0xFFFF0000u, 0x000000FFu}, 8,
                                  [](unsigned x, unsigned) { return uint8_t(x < 8 ? 0 : 1); });
    pal.alphaFlag = 1;
    TTextureSpec pal4 = PalTexture("pal4", 16, 8, true, {0xFF000000u, 0xFF00FF00u}, 4, [](unsigned, unsigned) { return 1; });
    // DXT5 on platform 9: red, alpha 255 on the left half and 0 on the right.
    TTextureSpec shield =
        Dxt5Texture("shield", "shieldm", 32, 16, [](unsigned x, unsigned) { return x < 16 ? 0xFFFF0000u : 0x00FF0000u; });
    Open({{"a.txd", DictionaryBytes({pal, pal4, shield})}});
    list->resize(300, 200);
    SelectEntry(0);
    EXPECT_TRUE(prompts.Messages().isEmpty());
    ASSERT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(Rgb(image->Picture(), 3, 3), 0xFF0000u);
    EXPECT_EQ(Rgb(image->Picture(), 8, 0), Grey(255));  // clear: the checkerboard alone
    EXPECT_EQ(Rgb(image->Picture(), 8, 8), Grey(192));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(Rgb(image->Picture(), 3, 3), Grey(255));
    EXPECT_EQ(Rgb(image->Picture(), 10, 3), 0u);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(Rgb(image->Picture(), 10, 3), 0x0000FFu);
    SelectTexture(1);
    EXPECT_EQ(Rgb(image->Picture(), 15, 7), 0x00FF00u);
    SelectTexture(2);
    EXPECT_EQ(Rgb(image->Picture(), 3, 3), 0xFF0000u);
    EXPECT_EQ(Rgb(image->Picture(), 20, 3), Grey(192));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(Rgb(image->Picture(), 3, 3), Grey(255));  // 8-bit alpha: 255, not 240
    EXPECT_EQ(Rgb(image->Picture(), 20, 3), 0u);
    EXPECT_TRUE(Find<QAction>("N21")->isEnabled());

    page->WaitForThumbnails();
    const std::vector<TThumbnailIndex>& t = page->Thumbnails();
    ASSERT_GE(t[0].ImageIndex, 0);
    ASSERT_GE(t[0].MaskImageIndex, 0);
    ASSERT_GE(t[1].ImageIndex, 0);
    EXPECT_EQ(t[1].MaskImageIndex, -1);
    ASSERT_GE(t[2].ImageIndex, 0);
    ASSERT_GE(t[2].MaskImageIndex, 0);
    const std::vector<QImage>& images = page->ThumbnailImages();
    EXPECT_EQ(Rgb(images[size_t(t[0].ImageIndex)], 10, 10), 0xFF0000u);
    EXPECT_EQ(Rgb(images[size_t(t[0].ImageIndex)], 30, 10), 0x0000FFu);
    EXPECT_EQ(Rgb(images[size_t(t[0].MaskImageIndex)], 30, 10), 0u);
    EXPECT_EQ(Rgb(images[size_t(t[1].ImageIndex)], 47, 47), 0x00FF00u);
    // 32 × 16 squeezed into 48 × 48: column x comes from x·32 div 48.
    EXPECT_EQ(Rgb(images[size_t(t[2].MaskImageIndex)], 23, 0), Grey(255));
    EXPECT_EQ(Rgb(images[size_t(t[2].MaskImageIndex)], 24, 0), 0u);
    const QImage shot = Shot();
    const int R = list->viewport()->width();
    EXPECT_EQ(Rgb(shot, R - 52 + 5, 2 + 5), 0xFF0000u);
    EXPECT_EQ(Rgb(shot, R - 52 + 20, 52 + 2 + 20), 0x00FF00u);
    EXPECT_EQ(Rgb(shot, R - 102 + 5, 104 + 2 + 5), Grey(255));
}

TEST_F(TxdPageTest, RealDictionariesShowTheirAlphaAndDxt5Mask)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "no real data folder";
    const std::string infernus = root + "/txd/rwparser_infernus.txd", shield = root + "/txd/mta_stealth_riot_shield_22068.txd";
    Open({{"infernus.txd", ReadBytes(infernus)}, {"shield.txd", ReadBytes(shield)}});
    SelectEntry(0);
    page->WaitForThumbnails();
    {
        // Only the handle has alpha, so only it has a mask thumbnail.
        const std::vector<TThumbnailIndex>& t = page->Thumbnails();
        ASSERT_EQ(t.size(), 3u);
        EXPECT_EQ(t[0].MaskImageIndex, -1);
        EXPECT_EQ(t[1].MaskImageIndex, -1);
        EXPECT_GE(t[2].MaskImageIndex, 0);
    }
    SelectEntry(1);
    EXPECT_TRUE(prompts.Messages().isEmpty());
    tabs->setCurrentIndex(2);
    // The window's mask is the core's decode of the same bytes.
    TFileBytes f(shield);
    const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
    ASSERT_EQ(t.size(), 1u);
    f.Seek(t[0].DataPos);
    const TTextureBitmap mask = BuildTextureBitmap(f, t[0], 128, 128, dmMask);
    const QImage& pic = image->Picture();
    ASSERT_EQ(pic.size(), QSize(128, 128));
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(Rgb(pic, x, y), Grey(mask.Pixels[(size_t(y) * 128 + size_t(x)) * 4])) << x << "," << y;
    page->WaitForThumbnails();
    EXPECT_GE(page->Thumbnails()[0].MaskImageIndex, 0);
}

TEST_F(TxdPageTest, ClosingTheWindowStopsTheWorkerAndEmptiesThePage)
{
    Open({{"a.txd", DictionaryBytes({HalfClear("glass", "")})}});
    SelectEntry(0);
    ASSERT_NE(page->ImageLoader(), nullptr);
    Find<QAction>("N4")->trigger();
    EXPECT_EQ(page->ImageLoader(), nullptr);
    EXPECT_TRUE(page->Textures().empty() && page->ThumbnailImages().empty());
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "имя файла");
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "0 текстур");
}

// Replace, add and remove through the page's menu: the picture from the open
// dialog, the entry read again with the changed texture selected; each new
// dictionary goes to the end and the entry keeps its row.
TEST_F(TxdPageTest, TheMenuReplacesAddsAndRemovesTextures)
{
    const std::string txd =
        DictionaryBytes({HalfClear("glass", ""), Dxt1Texture("road", 64, 64, [](unsigned, unsigned) { return 0xFF0000FFu; })});
    auto picture = [this](const char* name, int side, uint8_t alpha) {
        TTextureBitmap bmp;
        bmp.Width = bmp.Height = side;
        bmp.Pixels.assign(size_t(side) * side * 4, alpha);
        // BMP has no alpha: a transparent picture goes as PNG.
        WriteBytes(dir.File(name), alpha < 255 ? PngBytes(bmp, TPngChannels::Rgba) : BmpBytes(bmp));
        return Q(dir.File(name));
    };
    Open({{"a.txd", txd}, {"x.dat", "x"}});
    QAction *replace = Find<QAction>("N39"), *add = Find<QAction>("N40"), *remove = Find<QAction>("N41");
    EXPECT_EQ(replace->text(), "Заменить текстуру...");
    EXPECT_EQ(add->text(), "Добавить текстуру...");
    EXPECT_EQ(remove->text(), "Удалить текстуру");
    SelectEntry(0);
    SelectTexture(1);
    EXPECT_TRUE(replace->isEnabled() && add->isEnabled() && remove->isEnabled());

    prompts.AnswerOpen(picture("clear.png", 8, 0x80));
    replace->trigger();
    EXPECT_EQ(prompts.calls.front().dialog, "OpenDialog4");
    EXPECT_EQ(prompts.calls.front().filter, "Рисунки (*.png;*.bmp)|*.png;*.bmp");
    EXPECT_EQ(prompts.Messages(),
              QStringList({"В рисунке есть прозрачные точки, поэтому текстура road сохранена в формате DXT3, а не DXT1"}));
    ASSERT_EQ(page->Textures().size(), 2u);
    EXPECT_EQ(page->Textures()[1].Width, 8);
    EXPECT_TRUE(page->Textures()[1].HasAlpha);
    EXPECT_EQ(list->currentIndex().row(), 1);

    prompts.AnswerOpen(picture("new.bmp", 4, 0xFF));
    add->trigger();
    ASSERT_EQ(page->Textures().size(), 3u);
    EXPECT_EQ(page->Textures()[2].Name, "new");
    EXPECT_EQ(list->currentIndex().row(), 2);
    remove->trigger();
    ASSERT_EQ(page->Textures().size(), 2u);
    EXPECT_EQ(list->currentIndex().row(), 1);
    // The archive had 4 sectors (header, two of a.txd, x.dat); each change appended one.
    EXPECT_EQ(form->Cat().Entries[0].Offset, 6u);

    // 256×256 DXT1 is 32 KiB, past the old sectors: the same row, still shown.
    prompts.AnswerOpen(picture("big.bmp", 256, 0xFF));
    add->trigger();
    ASSERT_EQ(form->Cat().Entries.size(), 2u);
    EXPECT_EQ(std::string(EntryName(form->Cat().Entries[0])), "a.txd");
    EXPECT_EQ(form->ListView()->selectionModel()->selectedRows(), QModelIndexList({form->ListView()->model()->index(0, 0)}));
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "a.txd");
    EXPECT_EQ(page->Textures().size(), 3u);
    EXPECT_EQ(list->currentIndex().row(), 2);

    // A picture that cannot be read: the error box, the archive as it was.
    const std::string before = ReadBytes(dir.File("a.img"));
    WriteBytes(dir.File("bad.png"), "\x89PNG\r\n\x1a\n");
    prompts.AnswerOpen(Q(dir.File("bad.png")));
    replace->trigger();
    EXPECT_EQ(prompts.Messages().back(), "Read beyond end of file.");
    EXPECT_EQ(ReadBytes(dir.File("a.img")), before);
}

TEST_F(TxdPageTest, ArchivesThatCannotChangeOfferNoTextureChanges)
{
    const std::string txd = DictionaryBytes({HalfClear("glass", "")});
    WriteBytes(dir.File("s.syb"), SybBytes({{"a.txd", uint32_t(txd.size())}}, -1, false) + txd);
    Start({Q(dir.File("s.syb"))});
    page = Find<TTxdPage>("TXD");
    SelectEntry(0);
    ASSERT_EQ(page->Textures().size(), 1u);
    for (const char* name : {"N39", "N40", "N41"}) EXPECT_FALSE(Find<QAction>(name)->isEnabled()) << name;
}
