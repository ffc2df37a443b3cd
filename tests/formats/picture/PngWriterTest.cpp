// PNG files through libpng, read back with libpng's own reader, and the
// texture export that chooses between them and BMP.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "base/Errors.h"
#include "base/FaultInjection.h"
#include "base/FileIO.h"
#include "formats/picture/BmpWriter.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureExport.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/PngRead.h"
#include "support/TempDir.h"

using namespace korvane;

TEST(PngWriter, KeepsEveryByteAndTheAlphaOnlyWhenAsked)
{
    // Blue, green, red, alpha in; 0xAARRGGBB back.
    const TTextureBitmap b{3, 1, {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255}};
    const std::vector<uint32_t> argb = {0x00030201, 0x80060504, 0xFF090807};
    for (TPngChannels ch : {TPngChannels::Rgba, TPngChannels::Rgb}) {
        const std::string bytes = PngBytes(b, ch);
        const bool alpha = ch == TPngChannels::Rgba;
        // IHDR: width and height big-endian, depth 8, colour type 6 (RGBA) or 2 (RGB).
        EXPECT_EQ(bytes.substr(12, 14), std::string("IHDR\0\0\0\x03\0\0\0\x01\x08", 13) + char(alpha ? 6 : 2));
        const TPngPicture p = ReadPng(bytes);
        ASSERT_EQ(p.error, "");
        EXPECT_EQ(p.alpha, alpha);
        for (int x = 0; x < 3; ++x) EXPECT_EQ(p.Pixel(x, 0), argb[size_t(x)] | (alpha ? 0 : 0xFF000000u)) << x;
    }
    TempDir dir;
    WritePngFile(dir.File("x.png"), b, TPngChannels::Rgba);
    EXPECT_EQ(ReadBytes(dir.File("x.png")), PngBytes(b, TPngChannels::Rgba));
}

TEST(PngWriter, CompressesRefusesEmptyPicturesAndPassesWriteFailuresOn)
{
    // A smooth 1024² picture is 3 MB of rows (3 × 1024² + 1024 filter bytes).
    TTextureBitmap big{1024, 1024, std::vector<uint8_t>(1024 * 1024 * 4, 90)};
    for (size_t i = 0; i < big.Pixels.size(); i += 4) big.Pixels[i] = uint8_t(i / 16), big.Pixels[i + 1] = uint8_t(i / 16384);
    EXPECT_LT(PngBytes(big).size(), 3146752u / 10);

    TempDir dir;
    EXPECT_THROW(PngBytes(TTextureBitmap{0, 5, {}}), std::invalid_argument);
    EXPECT_THROW(WritePngFile(dir.File("e.png"), TTextureBitmap{4, 0, {}}), std::invalid_argument);
    EXPECT_FALSE(FileExists(dir.File("e.png")));
    // Noise does not compress: its file goes out in pieces, the first of
    // which fails inside libpng's write.
    TTextureBitmap noise{256, 256, std::vector<uint8_t>(256 * 256 * 4)};
    std::mt19937 random(7);
    for (uint8_t& v : noise.Pixels) v = uint8_t(random());
    TFaultInjection fault({1, ENOSPC, foWrite});
    try {
        WritePngFile(dir.File("n.png"), noise, TPngChannels::Rgba);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
}

TEST(TextureExport, PngKeepsTheAlphaOfColourPicturesOnly)
{
    TempDir dir;
    // One red DXT3 block whose first row has the alphas 15, 8, 1, 0 (pixel p in bits 4p).
    WriteBytes(dir.File("dxt3"), Dxt3Block(0x018F, 0xF800, 0, 0));
    TFileBytes file(dir.File("dxt3"));
    TTextureInfo t;
    t.Width = t.Height = 4;
    t.DataSize = 16;  // W × H bytes: DXT3
    // Alphas widen by 17 (15 → 255, 8 → 0x88, 1 → 0x11); the mask stays RGB,
    // grey a × 16; without alpha the file has none.
    const struct {
        bool hasAlpha;
        TDecodeMode mode;
        bool alpha;
        uint32_t row[4];
    } cases[] = {{true, dmColor, true, {0xFFFF0000, 0x88FF0000, 0x11FF0000, 0x00FF0000}},
                 {true, dmMask, false, {0xFFF0F0F0, 0xFF808080, 0xFF101010, 0xFF000000}},
                 {false, dmColor, false, {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000}}};
    for (const auto& c : cases) {
        t.HasAlpha = c.hasAlpha;
        ExportTexture(file, t, 4, 4, c.mode, TPictureFormat::Png, dir.File("t.png"));
        const TPngPicture p = ReadPng(ReadBytes(dir.File("t.png")));
        EXPECT_EQ(p.alpha, c.alpha);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(p.Pixel(x, 0), c.row[x]) << c.mode << " " << x;
    }
    ExportTexture(file, t, 4, 4, dmColor, TPictureFormat::Bmp, dir.File("t.bmp"));
    EXPECT_EQ(ReadBytes(dir.File("t.bmp")), BmpBytes(BuildTextureBitmap(file, t, 4, 4, dmColor)));

    // 32-bit pixels keep their stored alpha; DXT1 is opaque.
    WriteBytes(dir.File("bgra"), std::string("\x01\x02\x03\x80\x04\x05\x06\x00", 8) + Dxt1Block(0x001F, 0, 0));
    TFileBytes two(dir.File("bgra"));
    TTextureInfo b;
    b.Width = 2, b.Height = 1, b.DataSize = 8;
    EXPECT_EQ(BuildTextureBitmapWithAlpha(two, b, 2, 1).Pixels, std::vector<uint8_t>({1, 2, 3, 0x80, 4, 5, 6, 0}));
    t.DataPos = 8, t.DataSize = 8;  // W × H / 2 bytes: DXT1
    EXPECT_EQ(BuildTextureBitmapWithAlpha(two, t, 4, 4).Pixels[3], 255);
}

// The BMP header of a 1×1 picture, byte for byte: 24 bits, bottom-up, 72 dpi,
// one row of 3 bytes padded to 4, no palette.
TEST(BmpWriter, TheHeaderOfAOnePixelPicture)
{
    TTextureBitmap bmp;
    bmp.Width = bmp.Height = 1;
    bmp.Pixels = {1, 2, 3, 255};
    const std::string header = std::string("BM") + std::string("\x3A\0\0\0", 4) + std::string(4, '\0') +
                               std::string("\x36\0\0\0", 4) + std::string("\x28\0\0\0", 4) +
                               std::string("\x01\0\0\0", 4) + std::string("\x01\0\0\0", 4) + std::string("\x01\0", 2) +
                               std::string("\x18\0", 2) + std::string(4, '\0') + std::string("\x04\0\0\0", 4) +
                               std::string("\x13\x0B\0\0", 4) + std::string("\x13\x0B\0\0", 4) + std::string(8, '\0');
    const std::string bytes = BmpBytes(bmp);
    ASSERT_EQ(bytes.size(), 58u);
    EXPECT_EQ(bytes.substr(0, 54), header);
    EXPECT_EQ(bytes[57], '\0');  // the row's padding
}
