// PNG files through libpng, read back with libpng's own reader, and the
// texture export that chooses between them and BMP.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "archive/Errors.h"
#include "preview/BmpWriter.h"
#include "preview/PngWriter.h"
#include "preview/TextureExport.h"
#include "support/DictionaryWriters.h"
#include "support/PngRead.h"
#include "support/TempDir.h"

using namespace korvane;

TEST(PngWriter, KeepsEveryByteAndTheAlphaOnlyWhenAsked)
{
    // Blue, green, red, alpha per pixel; the file holds red, green, blue (and alpha).
    const TTextureBitmap b{3, 2, {1, 2, 3, 0, 4, 5, 6, 128, 7, 8, 9, 255, 10, 11, 12, 1, 13, 14, 15, 254, 16, 17, 18, 77}};
    const std::string rgba = PngBytes(b, TPngChannels::Rgba), rgb = PngBytes(b, TPngChannels::Rgb);
    EXPECT_EQ(rgba.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // IHDR: width and height big-endian, depth 8, colour type 6 (RGBA) or 2 (RGB).
    EXPECT_EQ(rgba.substr(16, 10), std::string("\0\0\0\x03\0\0\0\x02\x08\x06", 10));
    EXPECT_EQ(rgb.substr(16, 10), std::string("\0\0\0\x03\0\0\0\x02\x08\x02", 10));
    const TPngPicture a = ReadPng(rgba), c = ReadPng(rgb);
    ASSERT_TRUE(a.ok && c.ok) << a.error << c.error;
    EXPECT_TRUE(a.alpha);
    EXPECT_FALSE(c.alpha);
    const std::vector<uint32_t> argb = {0x00030201, 0x80060504, 0xFF090807, 0x010C0B0A, 0xFE0F0E0D, 0x4D121110};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(a.Pixel(i % 3, i / 3), argb[size_t(i)]) << i;
        EXPECT_EQ(c.Pixel(i % 3, i / 3), argb[size_t(i)] | 0xFF000000u) << i;
    }
    TempDir dir;
    WritePngFile(dir.File("x.png"), b, TPngChannels::Rgba);
    EXPECT_EQ(ReadBytes(dir.File("x.png")), rgba);
}

TEST(PngWriter, CompressesRefusesEmptyPicturesAndPassesWriteFailuresOn)
{
    // A smooth 1024² picture: 3 MB of rows (3 × 1024² + 1024 filter bytes)
    // that deflate shrinks far below a tenth.
    TTextureBitmap big{1024, 1024, std::vector<uint8_t>(1024 * 1024 * 4)};
    for (size_t i = 0; i < big.Pixels.size(); i += 4) {
        const size_t x = i / 4 % 1024, y = i / 4 / 1024;
        big.Pixels[i] = uint8_t(x / 4), big.Pixels[i + 1] = uint8_t(y / 4), big.Pixels[i + 2] = 90, big.Pixels[i + 3] = 255;
    }
    EXPECT_LT(PngBytes(big).size(), 3146752u / 10);

    TempDir dir;
    EXPECT_THROW(PngBytes(TTextureBitmap{0, 5, {}}), std::invalid_argument);
    EXPECT_THROW(WritePngFile(dir.File("e.png"), TTextureBitmap{4, 0, {}}), std::invalid_argument);
    EXPECT_FALSE(FileExists(dir.File("e.png")));

    // Noise does not compress: its file is written in several pieces, the
    // first of which fails inside libpng's write.
    TTextureBitmap noise{256, 256, std::vector<uint8_t>(256 * 256 * 4)};
    std::mt19937 random(7);
    for (uint8_t& v : noise.Pixels) v = uint8_t(random());
    try {
        TFaultInjection fault({1, ENOSPC, foWrite});
        WritePngFile(dir.File("n.png"), noise, TPngChannels::Rgba);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Disk full");
    }
    WritePngFile(dir.File("n.png"), noise, TPngChannels::Rgba);
    EXPECT_GT(ReadBytes(dir.File("n.png")).size(), 256u * 1024);
    EXPECT_EQ(ReadPng(ReadBytes(dir.File("n.png"))).Pixel(0, 0) >> 24, noise.Pixels[3]);
}

TEST(TextureExport, PngKeepsTheAlphaOfColourPicturesOnly)
{
    TempDir dir;
    // One red DXT3 block; the first row's alphas 15, 8, 1, 0 (pixel p in bits 4p).
    WriteBytes(dir.File("dxt3"), Dxt3Block(0x018F, 0xF800, 0, 0));
    TTextureInfo t;
    t.Width = t.Height = 4;
    t.DataSize = 16;  // W × H bytes: DXT3
    t.HasAlpha = true;
    TFile file = TFile::OpenReadOnly(dir.File("dxt3"));
    auto png = [&](TDecodeMode mode) {
        ExportTexture(file, t, 4, 4, mode, TPictureFormat::Png, dir.File("t.png"));
        return ReadPng(ReadBytes(dir.File("t.png")));
    };
    // Alphas widen by 17: 15 → 255, 8 → 136, 1 → 17.
    TPngPicture p = png(dmColor);
    EXPECT_TRUE(p.alpha);
    EXPECT_EQ(p.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(p.Pixel(1, 0), 0x88FF0000u);
    EXPECT_EQ(p.Pixel(2, 0), 0x11FF0000u);
    EXPECT_EQ(p.Pixel(3, 0), 0x00FF0000u);
    // The mask stays RGB, grey a × 16.
    p = png(dmMask);
    EXPECT_FALSE(p.alpha);
    EXPECT_EQ(p.Pixel(1, 0), 0xFF808080u);
    t.HasAlpha = false;
    p = png(dmColor);
    EXPECT_FALSE(p.alpha);
    EXPECT_EQ(p.Pixel(3, 0), 0xFFFF0000u);
    // BMP as ever.
    ExportTexture(file, t, 4, 4, dmColor, TPictureFormat::Bmp, dir.File("t.bmp"));
    EXPECT_EQ(ReadBytes(dir.File("t.bmp")), BmpBytes(BuildTextureBitmap(file, t, 4, 4, dmColor)));

    // 32-bit pixels keep their stored alpha; opaque encodings give 255.
    WriteBytes(dir.File("bgra"), std::string("\x01\x02\x03\x80\x04\x05\x06\x00", 8));
    TFile bgra = TFile::OpenReadOnly(dir.File("bgra"));
    TTextureInfo b;
    b.Width = 2;
    b.Height = 1;
    b.DataSize = 8;
    TTextureBitmap withAlpha = BuildTextureBitmapWithAlpha(bgra, b, 2, 1);
    EXPECT_EQ(withAlpha.Pixels, std::vector<uint8_t>({1, 2, 3, 0x80, 4, 5, 6, 0}));
    WriteBytes(dir.File("dxt1"), Dxt1Block(0x001F, 0, 0));
    TFile dxt1 = TFile::OpenReadOnly(dir.File("dxt1"));
    t.DataSize = 8;  // W × H / 2 bytes: DXT1
    withAlpha = BuildTextureBitmapWithAlpha(dxt1, t, 4, 4);
    EXPECT_EQ(withAlpha.Pixels[3], 255);
    EXPECT_EQ(withAlpha.Pixels[0], 255);  // blue
}
