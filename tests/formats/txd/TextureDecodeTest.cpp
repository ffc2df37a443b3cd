// Decoding texture pixels: the colour rules, the three modes, stretching and
// staying inside the data.
#include <gtest/gtest.h>

#include <random>

#include "base/Errors.h"
#include "formats/picture/BmpWriter.h"
#include "formats/txd/TextureDecode.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TTextureInfo Info(unsigned w, unsigned h, size_t size, uint32_t format = 0)
{
    TTextureInfo t;
    t.Width = uint16_t(w);
    t.Height = uint16_t(h);
    t.DataSize = uint32_t(size);
    t.RasterFormat = format;
    return t;
}

TTextureBitmap Decode(const std::string& data, const TTextureInfo& t, TDecodeMode mode, int w = -1, int h = -1)
{
    return DecodeTexture(reinterpret_cast<const uint8_t*>(data.data()), data.size(), t, w < 0 ? t.Width : w,
                         h < 0 ? t.Height : h, mode);
}

// Blue, green, red of pixel (x, y), as 0xRRGGBB.
uint32_t Px(const TTextureBitmap& b, int x, int y)
{
    const uint8_t* p = b.Pixels.data() + (size_t(y) * size_t(b.Width) + size_t(x)) * 4;
    EXPECT_EQ(p[3], 255);
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint32_t Grey(unsigned v) { return v << 16 | v << 8 | v; }

}  // namespace

TEST(BlockColour, ExpandsFieldsByTheConstantsNotByBitCopying)
{
    uint8_t bgr[3];
    DecodeBlockColor(reinterpret_cast<const uint8_t*>(Dxt1Block(3 | 11 << 5 | 31 << 11, 0, 0).data()), 0, bgr);
    EXPECT_EQ(bgr[0], 25);
    EXPECT_EQ(bgr[1], 45);
    EXPECT_EQ(bgr[2], 255);
    EXPECT_EQ(MixBlockColor(0, 63, 1, true), 255);
    // c0 = 0x001F, c1 = 0: indices 0..3 of pixels 0..3.
    const std::string block = Dxt1Block(0x001F, 0, 0b11100100);
    const uint8_t expected[4] = {255, 0, 170, 85};
    for (unsigned p = 0; p < 4; ++p) {
        DecodeBlockColor(reinterpret_cast<const uint8_t*>(block.data()), p, bgr);
        EXPECT_EQ(bgr[0], expected[p]) << p;
    }
    EXPECT_EQ(MixBlockColor(10, 20, 2, false), 110);
    EXPECT_EQ(MixBlockColor(10, 20, 3, false), 137);
}

TEST(BlockColour, AlphaNibblesCheckerAndBlend)
{
    const std::string block = Dxt3Block(0xFEDCBA9876543210ull, 0, 0, 0);
    for (unsigned p = 0; p < 16; ++p) EXPECT_EQ(BlockAlpha(reinterpret_cast<const uint8_t*>(block.data()), p), p);
    EXPECT_EQ(CheckerGrey(0, 0), 192);
    EXPECT_EQ(CheckerGrey(7, 7), 192);
    EXPECT_EQ(CheckerGrey(8, 0), 255);
    EXPECT_EQ(CheckerGrey(0, 8), 255);
    EXPECT_EQ(CheckerGrey(8, 8), 192);
    uint8_t px[4] = {0, 100, 255, 7};
    BlendOverGrey(px, 192, 0.5f);
    EXPECT_EQ(px[0], 96);
    EXPECT_EQ(px[1], 146);
    EXPECT_EQ(px[2], 224);  // 223.5 rounds to even
    EXPECT_EQ(px[3], 7);
}

TEST(TextureDecode, Dxt3AlphaOfFifteenIsMaskGrey240AndPlainColour)
{
    const uint16_t red = 31 << 11;
    const std::string data = BlockBytes(16, 16, [&](unsigned, unsigned) { return Dxt3Block(~0ull, red, 0, 0); });
    const TTextureInfo t = Info(16, 16, data.size());
    ASSERT_EQ(TextureEncoding(t), TTextureEncoding::Dxt3);
    const TTextureBitmap mask = Decode(data, t, dmMask), comp = Decode(data, t, dmComposite), col = Decode(data, t, dmColor);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(Px(mask, x, y), Grey(240));
            EXPECT_EQ(Px(comp, x, y), 0xFF0000u);
            EXPECT_EQ(Px(col, x, y), 0xFF0000u);
        }
    // Alpha 0: the checkerboard alone.
    const std::string clear = BlockBytes(16, 16, [&](unsigned, unsigned) { return Dxt3Block(0, red, 0, 0); });
    const TTextureBitmap board = Decode(clear, t, dmComposite), black = Decode(clear, t, dmMask);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(Px(board, x, y), Grey(CheckerGrey(unsigned(x), unsigned(y))));
            EXPECT_EQ(Px(black, x, y), 0u);
        }
}

TEST(TextureDecode, Dxt1KeepsFourOpaqueColoursWhenC0IsBelowC1)
{
    // c0 < c1 would mean "three colours and transparent" elsewhere; here not.
    const std::string data = BlockBytes(4, 4, [](unsigned, unsigned) { return Dxt1Block(0, 0x001F, 0xE4E4E4E4); });
    const TTextureInfo t = Info(4, 4, data.size());
    ASSERT_EQ(TextureEncoding(t), TTextureEncoding::Dxt1);
    const TTextureBitmap col = Decode(data, t, dmColor), mask = Decode(data, t, dmMask), comp = Decode(data, t, dmComposite);
    const uint32_t expected[4] = {0, 255, 85, 170};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Px(col, x, 0), expected[x]);
        EXPECT_EQ(Px(comp, x, 0), expected[x]);
        EXPECT_EQ(Px(mask, x, 0), Grey(255));
    }
}

TEST(TextureDecode, Bgra32ModesAndZeroAlpha)
{
    const std::string data = Bgra32Bytes(32, 16, [](unsigned x, unsigned) { return 0x00102030u + x; });
    const TTextureInfo t = Info(32, 16, data.size());
    const TTextureBitmap col = Decode(data, t, dmColor), mask = Decode(data, t, dmMask), comp = Decode(data, t, dmComposite);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            EXPECT_EQ(Px(col, x, y), 0x102030u + unsigned(x));
            EXPECT_EQ(Px(mask, x, y), 0u);
            EXPECT_EQ(Px(comp, x, y), Grey(CheckerGrey(unsigned(x), unsigned(y))));
        }
    const std::string half = Bgra32Bytes(1, 1, [](unsigned, unsigned) { return 0x800000FFu; });
    const TTextureBitmap h = Decode(half, Info(1, 1, 4), dmComposite);
    // 255·a + 192·(1−a), a = 128/255 in single precision.
    EXPECT_EQ(Px(h, 0, 0), 0x6060E0u);
}

TEST(TextureDecode, SixteenBitLayoutsInEveryMode)
{
    // Two pixels per layout, every field different, in colour, mask and
    // composite (both on the 192 square). 5-bit fields expand by bit
    // copying: 22 → 181, 9 → 74, 3 → 24; 6-bit 37 → 150; 4-bit f → f·17.
    struct TCase {
        uint32_t format;
        uint16_t v[2];
        uint32_t colour[2], mask[2], composite[2];
    };
    const TCase cases[] = {
        // 1555: a 1, r 22, g 9, b 3, then the same with a 0.
        {0x100, {0xD923, 0x5923}, {0xB54A18, 0xB54A18}, {0xFFFFFF, 0}, {0xB54A18, 0xC0C0C0}},
        // 555: bit 15 is not alpha.
        {0xA00, {0xD923, 0x5923}, {0xB54A18, 0xB54A18}, {0xFFFFFF, 0xFFFFFF}, {0xB54A18, 0xB54A18}},
        // 565: r 22, g 37, b 3; r 1, g 63, b 31 (8, 255, 255).
        {0x200, {0xB4A3, 0x0FFF}, {0xB59618, 0x08FFFF}, {0xFFFFFF, 0xFFFFFF}, {0xB59618, 0x08FFFF}},
        // 4444: a 9 r c g 5 b 3; a 3 r 1 g e b 7. Composite c·a + 192·(1−a):
        // a = 0.6 gives 199.2, 127.8, 107.4; a = 0.2 gives 157, 201.2, 177.4.
        {0x300, {0x9C53, 0x31E7}, {0xCC5533, 0x11EE77}, {0x999999, 0x333333}, {0xC7806B, 0x9DC9B1}},
    };
    for (const TCase& c : cases) {
        const std::string data = Pixel16Bytes(2, 1, [&](unsigned x, unsigned) { return c.v[x]; });
        const TTextureInfo t = Info(2, 1, 4, c.format);
        for (unsigned x = 0; x < 2; ++x) {
            EXPECT_EQ(Px(Decode(data, t, dmColor), int(x), 0), c.colour[x]) << std::hex << c.format << " " << x;
            EXPECT_EQ(Px(Decode(data, t, dmMask), int(x), 0), c.mask[x]) << std::hex << c.format << " " << x;
            EXPECT_EQ(Px(Decode(data, t, dmComposite), int(x), 0), c.composite[x]) << std::hex << c.format << " " << x;
        }
    }
}

TEST(TextureDecode, LargeBlockTexturesReadTheirLowerHalfFromTheSecondHalfOfTheData)
{
    for (bool dxt3 : {false, true}) {
        const std::string data = BlockBytes(512, 512, [&](unsigned, unsigned by) {
            const uint16_t c = by < 64 ? 0x001F : 0xF800;
            return dxt3 ? Dxt3Block(~0ull, c, 0, 0) : Dxt1Block(c, 0, 0);
        });
        const TTextureInfo t = Info(512, 512, data.size());
        const TTextureBitmap b = Decode(data, t, dmColor);
        EXPECT_EQ(Px(b, 511, 255), 0x0000FFu) << dxt3;
        EXPECT_EQ(Px(b, 0, 256), 0xFF0000u) << dxt3;
        EXPECT_EQ(Px(b, 511, 511), 0xFF0000u) << dxt3;
    }
}

TEST(TextureDecode, BlocksOutsideTheDataOfAnOddSizedTextureStayBlack)
{
    // 6×6 DXT1: 18 bytes, one block per block row; pixel (4, 0) reads block 1
    // by the grid, (4, 4) would need block 2 (bytes 16..23) and stays black.
    const std::string data = Dxt1Block(0x001F, 0, 0) + Dxt1Block(0xF800, 0, 0) + std::string(2, '\0');
    const TTextureInfo t = Info(6, 6, 18);
    ASSERT_EQ(TextureEncoding(t), TTextureEncoding::Dxt1);
    const TTextureBitmap b = Decode(data, t, dmColor), m = Decode(data, t, dmMask);
    EXPECT_EQ(Px(b, 0, 0), 0x0000FFu);
    EXPECT_EQ(Px(b, 4, 0), 0xFF0000u);
    EXPECT_EQ(Px(b, 0, 4), 0xFF0000u);
    EXPECT_EQ(Px(b, 4, 4), 0u);
    EXPECT_EQ(Px(m, 4, 4), 0u);
    EXPECT_EQ(Px(m, 0, 4), Grey(255));
}

TEST(TextureDecode, FromTheFileThumbnailsEqualTheFullDecodeStretched)
{
    TempDir dir;
    auto pattern = [](unsigned x, unsigned y) { return uint32_t((x * 7 + y * 3) << 24 | (x * 5) << 16 | (y * 9) << 8 | (x ^ y)); };
    const std::vector<TTextureSpec> specs = {Dxt1Texture("a", 200, 120, pattern),
                                             Dxt3Texture("b", "", 64, 256, pattern),
                                             Bgra32Texture("c", "", 37, 51, pattern)};
    for (const TTextureSpec& spec : specs) {
        const std::string prefix(100, 'p');
        WriteBytes(dir.File("t"), prefix + spec.data + "tail");
        TFileBytes f(dir.File("t"));
        TTextureInfo t = Info(spec.width, spec.height, spec.data.size());
        t.DataPos = prefix.size();
        f.Seek(5);
        for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
            const TTextureBitmap full = BuildTextureBitmap(f, t, spec.width, spec.height, mode);
            EXPECT_EQ(full.Pixels, Decode(spec.data, t, mode).Pixels);
            for (auto [w, h] : {std::pair{48, 48}, std::pair{301, 7}, std::pair{1, 1}}) {
                const TTextureBitmap thumb = BuildTextureBitmap(f, t, w, h, mode);
                ASSERT_EQ(thumb.Pixels.size(), size_t(w * h * 4));
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(Px(thumb, x, y), Px(full, x * spec.width / w, y * spec.height / h))
                            << spec.name << " " << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST(TextureDecode, DataPastTheEndOfTheFileFailsBeforeAnyDecode)
{
    TempDir dir;
    WriteBytes(dir.File("t"), std::string(1000, 'x'));
    TFileBytes f(dir.File("t"));
    TTextureInfo t = Info(64, 64, 2048);
    t.DataPos = 900;
    try {
        BuildTextureBitmap(f, t, 48, 48, dmColor);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    // A hostile size is refused the same way, before a buffer is made.
    t.Width = t.Height = 65535;
    t.DataSize = 65535u * 65535u / 2;
    t.DataPos = 0;
    EXPECT_THROW(BuildTextureBitmap(f, t, 65535, 65535, dmColor), EInOutError);
    // Empty and unsupported textures give black pictures of the asked size.
    t = Info(0, 16, 0);
    TTextureBitmap b = BuildTextureBitmap(f, t, 3, 2, dmComposite);
    EXPECT_EQ(b.Width, 3);
    EXPECT_EQ(Px(b, 2, 1), 0u);
    t = Info(16, 16, 100);
    EXPECT_EQ(Px(BuildTextureBitmap(f, t, 4, 4, dmColor), 1, 1), 0u);
}

TEST(BmpWriter, WritesABottomUpUncompressed24BitFile)
{
    TTextureBitmap b{3, 2, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12, 255, 13, 14, 15, 255, 16, 17, 18, 255}};
    TempDir dir;
    WriteBmpFile(dir.File("x.bmp"), b);
    const std::string f = ReadBytes(dir.File("x.bmp"));
    EXPECT_EQ(f, BmpBytes(b));
    ASSERT_EQ(f.size(), 54u + 2 * 12);
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(f.substr(2, 4), LE32(78));
    EXPECT_EQ(f.substr(10, 4), LE32(54));
    EXPECT_EQ(f.substr(18, 8), LE32(3) + LE32(2));
    EXPECT_EQ(f[28], 24);
    EXPECT_EQ(f.substr(30, 4), LE32(0));
    // The bottom row first, each padded to 12 bytes.
    EXPECT_EQ(f.substr(54, 12), std::string("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\0\0\0", 12));
    EXPECT_EQ(f.substr(66, 12), std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\0\0\0", 12));
}

TEST(TextureDecode, EveryPixelFollowsThePerPixelRules)
{
    // Random data in odd and even sizes, against the rules applied pixel by
    // pixel; pixels whose block lies past the data are black.
    std::mt19937 rng(7);
    for (auto [w, h, dxt3] : {std::tuple{8, 8, true}, std::tuple{10, 7, true}, std::tuple{13, 9, false},
                              std::tuple{3, 5, false}, std::tuple{64, 12, false}, std::tuple{5, 16, true}}) {
        const size_t size = dxt3 ? size_t(w * h) : size_t(w * h / 2);
        std::string data(size, '\0');
        for (char& c : data) c = char(rng());
        const TTextureInfo t = Info(unsigned(w), unsigned(h), size);
        ASSERT_EQ(TextureEncoding(t), dxt3 ? TTextureEncoding::Dxt3 : TTextureEncoding::Dxt1);
        const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
        for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
            const TTextureBitmap b = Decode(data, t, mode);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const size_t bs = dxt3 ? 16 : 8;
                    const size_t block = size_t((y / 4) * (w / 4) + x / 4) * bs;
                    const unsigned p = unsigned(4 * (y % 4) + x % 4);
                    uint8_t px[3] = {0, 0, 0};
                    if (block + bs <= size) {
                        DecodeBlockColor(bytes + block + (dxt3 ? 8 : 0), p, px);
                        const unsigned a = dxt3 ? BlockAlpha(bytes + block, p) : 15;
                        if (mode == dmMask) px[0] = px[1] = px[2] = uint8_t(dxt3 ? a * 16 : 255);
                        if (mode == dmComposite) BlendOverGrey(px, CheckerGrey(unsigned(x), unsigned(y)), float(a) / 15.0f);
                    }
                    ASSERT_EQ(Px(b, x, y), uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0])
                        << w << "x" << h << " mode " << int(mode) << " at " << x << "," << y;
                }
        }
    }
}
