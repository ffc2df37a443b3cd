// Textures whose header, not their size alone, tells how they are stored:
// paletted ones, DXT5 blocks, and the alpha flag of Direct3D 9 headers.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "base/Errors.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TFileBytes FileWith(const TempDir& dir, const std::string& bytes)
{
    WriteBytes(dir.File("d.txd"), bytes);
    return TFileBytes(dir.File("d.txd"));
}

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// The record the reader makes of a texture written by the support writers.
TTextureInfo InfoOf(const TTextureSpec& s)
{
    TTextureInfo t;
    t.Width = s.width;
    t.Height = s.height;
    t.DataSize = uint32_t(s.data.size());
    t.RasterFormat = s.rasterFormat;
    t.Platform = s.platform;
    t.PlatformFormat = s.alphaFlag;
    t.PlatformFlags = s.flags;
    t.PaletteEntries = uint16_t(s.palette.size() / 4);
    return t;
}

TTextureBitmap Decode(const TTextureSpec& s, TDecodeMode mode, int w = -1, int h = -1)
{
    return DecodeTexture(Bytes(s.data), s.data.size(), InfoOf(s), w < 0 ? s.width : w, h < 0 ? s.height : h, mode,
                         Bytes(s.palette));
}

// 0xRRGGBB of pixel (x, y); the fourth byte is always 255.
uint32_t Px(const TTextureBitmap& b, int x, int y)
{
    const uint8_t* p = b.Pixels.data() + (size_t(y) * size_t(b.Width) + size_t(x)) * 4;
    EXPECT_EQ(p[3], 255);
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

uint32_t Grey(unsigned v) { return v << 16 | v << 8 | v; }

// A pixel of colour 0xRRGGBB and 8-bit alpha a by the three modes' rules.
uint32_t Expected(uint32_t rgb, unsigned a, TDecodeMode mode, unsigned x, unsigned y)
{
    if (mode == dmColor) return rgb;
    if (mode == dmMask) return Grey(a);
    uint8_t px[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)};
    BlendOverGrey(px, CheckerGrey(x, y), float(a) / 255.0f);
    return uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
}

const std::vector<uint32_t> Palette = {0xFFFF0000u, 0x8000FF00u, 0x000000FFu, 0xFF102030u, 0x40FFFFFFu};

}  // namespace

TEST(TextureFormats, PalettedTexturesReadThePaletteThenTheSize)
{
    TempDir dir;
    auto index = [](unsigned x, unsigned y) { return uint8_t((x + 2 * y) % 5); };
    TTextureSpec before = Dxt1Texture("before", 8, 8, [](unsigned, unsigned) { return 0xFFFF0000u; });
    TTextureSpec p8 = PalTexture("p8", 8, 4, false, Palette, 8, index);
    p8.alphaFlag = 1;
    p8.extension = "ext";
    TTextureSpec p4 = PalTexture("p4", 7, 3, true, Palette, 4, index);  // 21 pixels in 11 bytes
    TTextureSpec p4wide = PalTexture("p4wide", 8, 4, true, Palette, 8, index);
    TTextureSpec after = Dxt3Texture("after", "m", 8, 8, [](unsigned, unsigned) { return 0x80FF0000u; });
    const std::vector<TTextureSpec> specs = {before, p8, p4, p4wide, after};
    const std::string bytes = DictionaryBytes(specs);
    TFileBytes f = FileWith(dir, bytes);
    const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
    ASSERT_EQ(t.size(), 5u);
    const char* encodings[] = {"dxt1", "pal8", "pal4", "pal8", "dxt3"};
    for (size_t i = 0; i < t.size(); ++i) {
        const TTextureSpec& s = specs[i];
        EXPECT_EQ(t[i].Name, s.name);
        EXPECT_EQ(t[i].DataSize, s.data.size()) << s.name;
        EXPECT_EQ(bytes.substr(size_t(t[i].DataPos), s.data.size()), s.data) << s.name;
        EXPECT_EQ(EncodingName(TextureEncoding(t[i])), std::string(encodings[i])) << s.name;
        EXPECT_EQ(t[i].PaletteEntries, s.palette.size() / 4) << s.name;
        if (!s.palette.empty()) {
            EXPECT_EQ(bytes.substr(size_t(t[i].PalettePos), s.palette.size()), s.palette);
            EXPECT_EQ(t[i].DataPos, t[i].PalettePos + s.palette.size() + 4);
        }
        // Header, palette and size stand just before the pixels.
        const std::string header = TextureHeaderBytes(s);
        EXPECT_EQ(bytes.substr(size_t(t[i].DataPos) - header.size(), header.size()), header) << s.name;
    }
    EXPECT_EQ(t[1].PaletteEntries, 256);
    EXPECT_EQ(t[2].PaletteEntries, 32);
    EXPECT_EQ(t[2].DataSize, 11u);
    EXPECT_TRUE(t[1].HasAlpha);  // the alpha indicator as for every platform 8 texture
    EXPECT_FALSE(t[2].HasAlpha);
    EXPECT_EQ(t[4].MaskName, "m");
}

TEST(TextureFormats, APaletteOrSizeRunningPastTheEndFails)
{
    TempDir dir;
    const std::string full = DictionaryBytes({PalTexture("p", 4, 4, false, Palette, 8, [](unsigned, unsigned) { return 0; })});
    const size_t paletteAt = full.find(PaletteBytes(Palette));
    ASSERT_NE(paletteAt, std::string::npos);
    // Cut inside the palette, and just before the size that follows it.
    for (size_t cut : {paletteAt + 500, paletteAt + 1024 + 2}) {
        TFileBytes f = FileWith(dir, full.substr(0, cut));
        try {
            ReadTextureDictionary(f);
            FAIL() << cut;
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), "Read beyond end of file");
        }
    }
    // Decoding checks the palette and the pixels against the file's length
    // before it makes anything: a 65535 × 65535 PAL8 texture is 4 GB of data.
    TFileBytes f = FileWith(dir, std::string(2000, 'x'));
    TTextureInfo t;
    t.Width = t.Height = 65535;
    t.DataSize = 65535u * 65535u;
    t.PaletteEntries = 256;
    t.PalettePos = 10;
    t.DataPos = 1038;
    ASSERT_EQ(TextureEncoding(t), TTextureEncoding::Pal8);
    EXPECT_THROW(BuildTextureBitmap(f, t, 65535, 65535, dmColor), EInOutError);
    t.Width = t.Height = 4;
    t.DataSize = 16;
    t.PalettePos = 1990;  // the palette alone runs past the end
    EXPECT_THROW(BuildTextureBitmap(f, t, 4, 4, dmColor), EInOutError);
    t.PalettePos = 10;
    EXPECT_EQ(BuildTextureBitmap(f, t, 4, 4, dmColor).Pixels.size(), 64u);
    // A size that fits neither index width is not decoded.
    t.DataSize = 12;
    EXPECT_EQ(TextureEncoding(t), TTextureEncoding::Unsupported);
}

TEST(TextureFormats, PaletteIndicesGiveColourAndAlphaInEveryMode)
{
    auto index = [](unsigned x, unsigned y) { return uint8_t((x + 3 * y) % 5); };
    // An odd width: rows of 4-bit indices share their middle byte.
    for (const TTextureSpec& s : {PalTexture("p8", 20, 18, false, Palette, 8, index),
                                  PalTexture("p4", 19, 17, true, Palette, 4, index)}) {
        for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
            const TTextureBitmap b = Decode(s, mode);
            for (unsigned y = 0; y < s.height; ++y)
                for (unsigned x = 0; x < s.width; ++x) {
                    const uint32_t c = Palette[index(x, y)];
                    ASSERT_EQ(Px(b, int(x), int(y)), Expected(c & 0xFFFFFF, c >> 24, mode, x, y))
                        << s.name << " mode " << int(mode) << " at " << x << "," << y;
                }
        }
    }
    // Two pixels a byte, the low nibble first: 3 × 2 pixels in 3 bytes.
    TTextureSpec tiny = PalTexture("tiny", 3, 2, true, Palette, 4, [](unsigned, unsigned) { return 0; });
    tiny.data = "\x10\x32\x04";
    const TTextureBitmap b = Decode(tiny, dmColor);
    const uint32_t want[6] = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF, 0xFF0000};
    for (int p = 0; p < 6; ++p) EXPECT_EQ(Px(b, p % 3, p / 3), want[p]) << p;
    // 3 × 3 in 4 bytes, the size rounded down: pixel 8 would be in byte 4, so
    // the last row is cut short and stays black, in memory and from a file.
    TTextureSpec cut = tiny;
    cut.width = cut.height = 3;
    cut.data = "\x10\x32\x04\x21";
    const uint32_t cutWant[9] = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF, 0xFF0000, 0, 0, 0};
    TempDir dir;
    TFileBytes f = FileWith(dir, DictionaryBytes({cut}));
    const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
    ASSERT_EQ(t.size(), 1u);
    f.Seek(t[0].DataPos);
    for (const TTextureBitmap& c : {Decode(cut, dmColor), BuildTextureBitmap(f, t[0], 3, 3, dmColor)})
        for (int p = 0; p < 9; ++p) EXPECT_EQ(Px(c, p % 3, p / 3), cutWant[p]) << p;
    // Indices past a PAL4 palette's 32 entries are black and clear.
    TTextureSpec past = PalTexture("past", 2, 1, true, Palette, 8, [](unsigned x, unsigned) { return x ? 200 : 1; });
    EXPECT_EQ(Px(Decode(past, dmColor), 1, 0), 0u);
    EXPECT_EQ(Px(Decode(past, dmMask), 1, 0), 0u);
    EXPECT_EQ(Px(Decode(past, dmComposite), 1, 0), Grey(192));
    EXPECT_EQ(Px(Decode(past, dmMask), 0, 0), Grey(128));
}

TEST(TextureFormats, Dxt5AlphaRules)
{
    auto alpha = [](uint8_t a0, uint8_t a1, unsigned i) {
        const std::string block = Dxt5Block(a0, a1, uint64_t(i), 0, 0, 0);  // pixel 0 takes index i
        return Dxt5Alpha(Bytes(block), 0);
    };
    // a0 > a1: eight values, the six between rounded to nearest.
    const unsigned eight[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(alpha(255, 0, i), eight[i]) << i;
    // a0 <= a1: six values, then 0 and 255.
    const unsigned six[8] = {0, 255, 51, 102, 153, 204, 0, 255};
    for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(alpha(0, 255, i), six[i]) << i;
    EXPECT_EQ(alpha(1, 2, 3), 1u);  // 1.4
    EXPECT_EQ(alpha(1, 2, 4), 2u);  // 1.6
    EXPECT_EQ(alpha(90, 90, 3), 90u);
    EXPECT_EQ(alpha(90, 90, 7), 255u);
    // Pixel p's three bits at 3p, across byte boundaries.
    const std::string block = Dxt5Block(255, 0, 0xFAC688FAC688ull, 0, 0, 0);  // indices 0..7, twice
    for (unsigned p = 0; p < 16; ++p) EXPECT_EQ(Dxt5Alpha(Bytes(block), p), eight[p % 8]) << p;
}

TEST(TextureFormats, Dxt5TexturesFollowThePerPixelRules)
{
    std::mt19937 rng(11);
    for (auto [w, h, platform] : {std::tuple{8, 8, 9u}, std::tuple{12, 20, 8u}, std::tuple{10, 6, 9u}, std::tuple{5, 16, 8u}}) {
        TTextureSpec s = MakeTexture("r", "", unsigned(w), unsigned(h), std::string(size_t(w * h), '\0'));
        for (char& c : s.data) c = char(rng());
        s.platform = platform;
        if (platform == 9) s.alphaFlag = FourCC("DXT5");
        else s.flags = 5;
        ASSERT_EQ(TextureEncoding(InfoOf(s)), TTextureEncoding::Dxt5);
        for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
            const TTextureBitmap b = Decode(s, mode);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const size_t block = size_t((y / 4) * (w / 4) + x / 4) * 16;
                    const unsigned p = unsigned(4 * (y % 4) + x % 4);
                    uint32_t want = 0;
                    if (block + 16 <= s.data.size()) {
                        uint8_t bgr[3];
                        DecodeBlockColor(Bytes(s.data) + block + 8, p, bgr);
                        want = Expected(uint32_t(bgr[2]) << 16 | bgr[1] << 8 | bgr[0], Dxt5Alpha(Bytes(s.data) + block, p),
                                        mode, unsigned(x), unsigned(y));
                    }
                    ASSERT_EQ(Px(b, x, y), want) << w << "x" << h << " mode " << int(mode) << " at " << x << "," << y;
                }
        }
    }
}

TEST(TextureFormats, OtherBlockTexturesDecodeAsBefore)
{
    // What the header says of DXT1 and DXT3 textures changes nothing: each
    // decodes exactly as the same data with an empty header did.
    auto pattern = [](unsigned x, unsigned y) { return uint32_t((x * 9 + y * 5) << 24 | (x * 7) << 16 | (y * 11) << 8 | 3); };
    const TTextureSpec plain3 = Dxt3Texture("a", "", 16, 12, pattern), plain1 = Dxt1Texture("b", 16, 12, pattern);
    struct THeader {
        uint32_t platform, format;
        uint8_t flags;
    };
    for (const THeader& hd : {THeader{9, FourCC("DXT3"), 9}, THeader{9, FourCC("DXT1"), 8}, THeader{8, 0, 3},
                              THeader{8, 1, 1}, THeader{8, 0, 5}, THeader{9, FourCC("DXT5"), 9}}) {
        for (const TTextureSpec& plain : {plain3, plain1}) {
            TTextureSpec s = plain;
            s.platform = hd.platform;
            s.alphaFlag = hd.format;
            s.flags = hd.flags;
            const bool dxt5 = plain.name == "a" && ((hd.platform == 8 && hd.flags == 5) || hd.format == FourCC("DXT5"));
            if (dxt5) continue;  // the one reading that changes
            EXPECT_EQ(TextureEncoding(InfoOf(s)), TextureEncoding(InfoOf(plain)));
            for (TDecodeMode mode : {dmColor, dmMask, dmComposite})
                EXPECT_EQ(Decode(s, mode).Pixels, Decode(plain, mode).Pixels) << plain.name << " " << hd.platform;
        }
    }
    // Compression 5 on a texture whose size says DXT1 leaves it DXT1.
    TTextureSpec s = plain1;
    s.flags = 5;
    EXPECT_EQ(TextureEncoding(InfoOf(s)), TTextureEncoding::Dxt1);
}

TEST(TextureFormats, Direct3D9AlphaIsTheFlagBit)
{
    TempDir dir;
    auto tex = [](const std::string& name, uint32_t platform, uint32_t format, uint8_t flags) {
        TTextureSpec t = MakeTexture(name, "", 4, 4, std::string(8, '\0'));
        t.platform = platform;
        t.alphaFlag = format;
        t.flags = flags;
        return t;
    };
    TFileBytes f = FileWith(dir, DictionaryBytes({tex("a", 9, FourCC("DXT3"), 9), tex("b", 9, FourCC("DXT1"), 8),
                                             tex("c", 9, 1, 0), tex("d", 9, 0x15, 1), tex("e", 8, 1, 0),
                                             tex("f", 8, 0, 1), tex("g", 8, 2, 9)}));
    const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
    const bool want[] = {true, false, false, true, true, false, false};
    ASSERT_EQ(t.size(), 7u);
    for (size_t i = 0; i < t.size(); ++i) EXPECT_EQ(t[i].HasAlpha, want[i]) << t[i].Name;
}

TEST(TextureFormats, ThumbnailsOfTheNewReadingsEqualTheFullDecodeStretched)
{
    TempDir dir;
    auto pattern = [](unsigned x, unsigned y) { return uint32_t((x * 7 + y * 3) << 24 | (x * 5) << 16 | (y * 9) << 8 | (x ^ y)); };
    auto index = [](unsigned x, unsigned y) { return uint8_t((x * 3 + y) % 5); };
    const std::vector<TTextureSpec> specs = {PalTexture("p8", 37, 51, false, Palette, 8, index),
                                             PalTexture("p4", 61, 30, true, Palette, 4, index),
                                             Dxt5Texture("d5", "", 64, 40, pattern)};
    TFileBytes f = FileWith(dir, DictionaryBytes(specs));
    const std::vector<TTextureInfo> textures = ReadTextureDictionary(f);
    ASSERT_EQ(textures.size(), specs.size());
    for (size_t i = 0; i < specs.size(); ++i) {
        const TTextureInfo& t = textures[i];
        const TTextureSpec& spec = specs[i];
        f.Seek(t.DataPos);
        for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
            const TTextureBitmap full = BuildTextureBitmap(f, t, spec.width, spec.height, mode);
            EXPECT_EQ(full.Pixels, Decode(spec, mode).Pixels) << spec.name;
            for (auto [w, h] : {std::pair{48, 48}, std::pair{101, 7}, std::pair{1, 1}}) {
                const TTextureBitmap thumb = BuildTextureBitmap(f, t, w, h, mode);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(Px(thumb, x, y), Px(full, x * spec.width / w, y * spec.height / h))
                            << spec.name << " " << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

TEST(TextureFormats, RealDxt5DictionaryMatchesItsThirtyTwoBitTwin)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "no real data folder";
    // The same shield as DXT5 at 128 × 128 and as 32-bit pixels at 256 × 256:
    // the DXT5 alpha must follow the stored alpha, not stripe.
    TFileBytes dxt(root + "/txd/mta_stealth_riot_shield_22068.txd");
    TFileBytes raw(root + "/txd/mta_stealth_riot_shield_262312.txd");
    const std::vector<TTextureInfo> a = ReadTextureDictionary(dxt), b = ReadTextureDictionary(raw);
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(EncodingName(TextureEncoding(a[0])), std::string("dxt5"));
    EXPECT_TRUE(a[0].HasAlpha);
    EXPECT_TRUE(b[0].HasAlpha);  // A8R8G8B8 with its alpha flag set
    dxt.Seek(a[0].DataPos);
    raw.Seek(b[0].DataPos);
    for (TDecodeMode mode : {dmMask, dmColor}) {
        const TTextureBitmap x = BuildTextureBitmap(dxt, a[0], 128, 128, mode), y = BuildTextureBitmap(raw, b[0], 128, 128, mode);
        double total = 0;
        for (size_t i = 0; i < x.Pixels.size(); ++i) total += std::abs(int(x.Pixels[i]) - int(y.Pixels[i]));
        EXPECT_LT(total / double(x.Pixels.size()), 5.0) << int(mode);
    }
    // Part of the shield is see-through: its mask holds more than one level.
    const TTextureBitmap m = BuildTextureBitmap(dxt, a[0], 128, 128, dmMask);
    EXPECT_NE(Px(m, 64, 30), Px(m, 2, 64));
}
