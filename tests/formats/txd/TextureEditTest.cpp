// Changing textures of a dictionary: pictures read from PNG and BMP files,
// encoded, put in and taken out, every other texture's bytes kept.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "formats/picture/BmpWriter.h"
#include "formats/picture/ImageReader.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureDictionaryEdit.h"
#include "formats/txd/TextureEncode.h"
#include "formats/txd/TextureExport.h"
#include "ops/TextureOps.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/PngWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TTextureBitmap Picture(int w, int h, const std::function<uint32_t(int x, int y)>& bgra)
{
    TTextureBitmap bmp;
    bmp.Width = w;
    bmp.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = bgra(x, y);
            bmp.Pixels.insert(bmp.Pixels.end(), {uint8_t(c >> 24), uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    return bmp;
}

// An RGBA PNG of the picture.
std::string RgbaPng(const TTextureBitmap& bmp) { return PngBytes(bmp, TPngChannels::Rgba); }

std::string Hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

std::vector<TTextureInfo> ReadList(const std::string& path)
{
    TFileBytes f(path);
    return ReadTextureDictionary(f);
}

// A texture as it decodes with its alpha, read in the other modes too.
TTextureBitmap Decoded(const std::string& path, const TTextureInfo& t)
{
    TFileBytes f(path);
    BuildTextureBitmap(f, t, t.Width, t.Height, dmComposite);
    BuildTextureBitmap(f, t, t.Width, t.Height, dmMask);
    return BuildTextureBitmapWithAlpha(f, t, t.Width, t.Height);
}

// Mean absolute difference of each of blue, green, red, alpha.
std::array<double, 4> MeanDiff(const TTextureBitmap& a, const TTextureBitmap& b)
{
    std::array<double, 4> sum{};
    for (size_t i = 0; i < a.Pixels.size(); ++i) sum[i % 4] += std::abs(int(a.Pixels[i]) - int(b.Pixels[i]));
    for (double& s : sum) s /= double(a.Pixels.size() / 4);
    return sum;
}

TTextureDictionaryParts Parts(const std::string& path)
{
    return ReadDictionaryParts(AsBytes(ReadBytes(path)));
}

TTextureChange Replace(const std::string& texture, const std::string& picture)
{
    return {TTextureChangeKind::Replace, texture, picture, {}};
}

}  // namespace

TEST(TextureEncode, HalvingTakesTheRoundedMeanOfWhatEachPixelCovers)
{
    struct TCase {
        int w, h;
        std::vector<uint8_t> in, out;
    } cases[] = {
        {2, 2, {0, 0, 1, 1}, {1}},                            // mean 0.5 rounds up
        {2, 1, {7, 8}, {8}},                                  // (7 + 8 + 1) / 2
        {1, 2, {200, 100}, {150}},
        {3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {3}},             // (1 + 2 + 4 + 5) / 4; the odd row and column go
        {4, 2, {0, 4, 8, 12, 16, 20, 24, 28}, {10, 18}},      // (0+4+16+20+2)/4, (8+12+24+28+2)/4
        {1, 1, {77}, {77}},
    };
    for (const TCase& c : cases) {
        const TTextureBitmap half = HalveImage(Picture(c.w, c.h, [&](int x, int y) { return c.in[size_t(y * c.w + x)] * 0x01010101u; }));
        ASSERT_EQ(size_t(half.Width * half.Height), c.out.size());
        for (size_t i = 0; i < c.out.size(); ++i)
            EXPECT_EQ(half.Pixels[4 * i], c.out[i]) << c.w << "x" << c.h;
    }
    // Down to 1×1: 100 → 50 → 25 → 12 → 6 → 3 → 1.
    EXPECT_EQ(MaxMipLevels(100, 12), 7u);
    EXPECT_EQ(MaxMipLevels(256, 64), 9u);
    EXPECT_EQ(MaxMipLevels(1, 1), 1u);
}

TEST(TextureEncode, Dxt1BlocksKeepToTheFourColourRule)
{
    // Red alone: RGB565 0xF800 over black, every index 0 (the first colour).
    EXPECT_EQ(Hex(EncodeTextureLevel(Picture(4, 4, [](int, int) { return 0x0000FFFFu; }), TTextureEncoding::Dxt1)),
              "00f8000000000000");
    // Black, grey 128 and white: the three-colour rule would hit 128 exactly,
    // but a reader that knows only four colours would show it as a third.
    const std::string block = EncodeTextureLevel(
        Picture(4, 4, [](int x, int) { return (x == 0 ? 0u : x == 1 ? 0x808080u : 0xFFFFFFu) << 8 | 0xFF; }),
        TTextureEncoding::Dxt1);
    const auto* b = reinterpret_cast<const uint8_t*>(block.data());
    EXPECT_GT(b[0] | b[1] << 8, b[2] | b[3] << 8);
}

TEST(TextureEdit, ReplacingSetsTheHeaderByTheEncodingAndKeepsTheRest)
{
    TempDir dir;
    TTextureSpec wall = Dxt1Texture("wall", 8, 8, [](unsigned x, unsigned) { return x * 20; });
    wall.maskName = "wallm";
    wall.platform = 9;
    wall.alphaFlag = FourCC("DXT1");
    wall.flags = 8;
    wall.rasterFormat = 0x8200;
    TTextureSpec sky = Bgra32Texture("sky", "", 2, 2, [](unsigned x, unsigned y) { return 0x80000000u | x << 8 | y; });
    TTextureSpec dash = MakeTexture("dash", "", 2, 1, Pixel16Bytes(2, 1, [](unsigned, unsigned) { return 0xF800; }));
    dash.rasterFormat = 0x200;
    TTextureSpec pal = PalTexture("pal", 4, 4, false, {0xFFFF0000u}, 8, [](unsigned, unsigned) { return 0; });
    const std::string txd = dir.File("a.txd");
    WriteBytes(txd, DictionaryBytes({wall, sky, dash, pal}));
    const TTextureDictionaryParts before = Parts(txd);

    // One transparent pixel makes the DXT1 texture DXT3.
    WriteBytes(dir.File("p.png"), RgbaPng(Picture(4, 4, [](int x, int y) { return x + y ? 0x102030FFu : 0x10203000u; })));
    EXPECT_TRUE(ops::ChangeTexture(txd, Replace("WALL", dir.File("p.png"))).Dxt3ForAlpha);
    // Opaque: the 32-bit, 16-bit and paletted ones become 32-bit without alpha.
    const TTextureBitmap opaque = Picture(2, 2, [](int x, int y) { return uint32_t(x * 0x40000000 + y * 0x100000 + 0xFF); });
    WriteBytes(dir.File("q.bmp"), BmpBytes(opaque));
    for (const char* name : {"sky", "dash", "pal"}) ops::ChangeTexture(txd, Replace(name, dir.File("q.bmp")));

    const TTextureDictionaryParts after = Parts(txd);
    auto header = [&](size_t i) {
        const TDictionaryTexture& t = after.Textures[i];
        return Hex(t.Native.substr(t.StructAt + 12, 88));
    };
    const std::string names = Hex(std::string("wall") + std::string(28, '\0') + "wallm" + std::string(27, '\0'));
    // platform 9, filter/addressing 06 11 as before; format 0x300 (the 0x8000
    // mipmap flag gone with the one level), "DXT3", 4×4, depth 16, 1 level,
    // raster type 4, flags alpha + compressed.
    EXPECT_EQ(header(0), "09000000" "06110000" + names + "00030000" "44585433" "04000400" "10010409");
    // platform 8, format 0x600 (32-bit, no alpha), alpha indicator 0, 2×2,
    // depth 32, 1 level, raster type 4, no compression.
    const std::string sky32 = Hex(std::string("sky") + std::string(61, '\0'));
    EXPECT_EQ(header(1), "08000000" "06110000" + sky32 + "00060000" "00000000" "02000200" "20010400");
    EXPECT_EQ(after.Textures[3].Native.size(), 12 + 12 + 88 + 4 + 16 + 12u);  // no palette left
    for (size_t i = 1; i < 4; ++i) {
        const TDictionaryTexture& t = after.Textures[i];
        EXPECT_EQ(TextureEncoding(t.Info), TTextureEncoding::Bgra32);
        EXPECT_EQ(t.Native.substr(t.Info.DataPos, 16), std::string(opaque.Pixels.begin(), opaque.Pixels.end()));
    }
    EXPECT_EQ(after.After, before.After);
}

TEST(TextureEdit, AddingAndRemovingFollowTheNameAndEncodingRules)
{
    TempDir dir;
    TTextureSpec tex = Dxt1Texture("Tex", 4, 4, [](unsigned, unsigned) { return 0; });
    const std::string txd = dir.File("a.txd");
    const std::string foreign = RwSection(0x253F2F3, "x");  // walked past by the reader: stays
    std::string bytes = DictionaryBytes({tex, tex});
    const std::string first = TextureNativeBytes(tex);
    bytes.insert(bytes.find(first), foreign);
    bytes.replace(4, 4, LE32(uint32_t(bytes.size() - 12)));
    const std::string opaque = dir.File("opaque.png"), clear = dir.File("clear.png");
    const std::string longName = dir.File(std::string(40, 'n') + ".png");
    const TTextureBitmap solid = Picture(8, 4, [](int x, int) { return uint32_t(x) << 24 | 0xFF; });
    WriteBytes(opaque, RgbaPng(solid));
    WriteBytes(longName, RgbaPng(solid));
    WriteBytes(clear, RgbaPng(Picture(4, 4, [](int, int) { return 0x11223380u; })));
    WriteBytes(dir.File("odd.png"), RgbaPng(Picture(6, 4, [](int, int) { return 0xFFu; })));

    struct TCase {
        TTextureChange change;
        std::string error;  // empty when the change goes through
        std::string name = "";
        const char* encoding = "";
        bool dxt3ForAlpha = false;
    } cases[] = {
        {{TTextureChangeKind::Add, "", opaque, {}}, "", "opaque", "dxt1"},
        {{TTextureChangeKind::Add, "", clear, {}}, "", "clear", "dxt5"},
        {{TTextureChangeKind::Add, "c3", clear, TTextureEncoding::Dxt1}, "", "c3", "dxt3", true},
        {{TTextureChangeKind::Add, "raw", opaque, TTextureEncoding::Bgra32}, "", "raw", "bgra32"},
        {{TTextureChangeKind::Add, "", longName, {}}, "", std::string(31, 'n'), "dxt1"},
        {{TTextureChangeKind::Add, "TEX", opaque, {}}, "A texture named \"TEX\" is already in the dictionary"},
        {{TTextureChangeKind::Add, std::string(32, 'x'), opaque, {}},
         "The texture name \"" + std::string(32, 'x') + "\" is longer than 31 characters"},
        {{TTextureChangeKind::Add, "odd", dir.File("odd.png"), {}},
         dir.File("odd.png") + ": the picture is 6×4 pixels; a DXT1 texture's sides are multiples of 4"},
        {{TTextureChangeKind::Remove, "nope", "", {}}, "No texture named \"nope\" in the dictionary"},
        {Replace("nope", opaque), "No texture named \"nope\" in the dictionary"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name + c.error);
        WriteBytes(txd, bytes);
        try {
            const TTextureChangeResult r = ops::ChangeTexture(txd, c.change);
            EXPECT_EQ(c.error, "");
            EXPECT_EQ(r.Dxt3ForAlpha, c.dxt3ForAlpha);
            EXPECT_EQ(r.TextureIndex, 2u);
        } catch (const std::exception& e) {
            EXPECT_EQ(e.what(), c.error);
            EXPECT_EQ(ReadBytes(txd), bytes);
            continue;
        }
        const TTextureDictionaryParts parts = Parts(txd);
        ASSERT_EQ(parts.Textures.size(), 3u);
        EXPECT_EQ(parts.Textures[0].Lead + parts.Textures[0].Native, foreign + first);
        EXPECT_EQ(parts.Textures[1].Native, first);
        EXPECT_EQ(parts.Textures[2].Info.Name, c.name);
        EXPECT_STREQ(EncodingName(TextureEncoding(parts.Textures[2].Info)), c.encoding);
    }
    // Removed by its name in other letters; the section before it stays.
    WriteBytes(txd, bytes);
    EXPECT_EQ(ops::ChangeTexture(txd, {TTextureChangeKind::Remove, "tEX", "", {}}).TextureIndex, 0u);
    const TTextureDictionaryParts parts = Parts(txd);
    ASSERT_EQ(parts.Textures.size(), 1u);
    EXPECT_EQ(parts.Textures[0].Lead + parts.Textures[0].Native, foreign + first);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.~new")));
}

TEST(TextureEdit, AnAddedTexturesMaskNameFillsItsFieldUpToThirtyOneCharacters)
{
    TTextureDictionaryParts parts =
        SplitDictionary(DictionaryBytes({Dxt1Texture("t", 4, 4, [](unsigned, unsigned) { return 0; })}), 0);
    const TTextureBitmap picture = Picture(4, 4, [](int, int) { return 0xFFu; });
    const std::string mask(31, 'm');
    AddTexture(parts, picture, "p.png", "a", TTextureEncoding::Dxt1, mask);
    const TDictionaryTexture& added = parts.Textures.back();
    // The struct's contents start 12 bytes after its header; the mask name
    // field is bytes 40..71 of them: the name, then zeros.
    EXPECT_EQ(added.Native.substr(added.StructAt + 12 + 40, 32), mask + '\0');
    EXPECT_EQ(added.Info.MaskName, mask);
    try {
        AddTexture(parts, picture, "p.png", "b", TTextureEncoding::Dxt1, mask + 'm');
        ADD_FAILURE() << "a mask name of 32 characters was taken";
    } catch (const ETextureEditError& e) {
        EXPECT_STREQ(e.what(), ("The mask name \"" + mask + "m\" is longer than 31 characters").c_str());
    }
    EXPECT_EQ(parts.Textures.size(), 2u);
}

// Pictures of every PNG colour type and depth, and BMP both ways up: blue,
// green, red, alpha as the file means them.
TEST(ImageReader, ReadsEveryPngKindAndTheBmpsTheWindowWrites)
{
    TempDir dir;
    const std::string rgb9 = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12"
                             "\x13\x14\x15\x16\x17\x18\x19\x1a\x1b";
    const std::string bgra9 = "\x03\x02\x01\xff\x06\x05\x04\xff\x09\x08\x07\xff\x0c\x0b\x0a\xff\x0f\x0e\x0d\xff"
                              "\x12\x11\x10\xff\x15\x14\x13\xff\x18\x17\x16\xff\x1b\x1a\x19\xff";
    struct TCase {
        const char* what;
        TPngSpec png;
        std::string bgra;
    } cases[] = {
        {"grey 8", {2, 1, 0, 8, false, "\x10\xF0"}, std::string("\x10\x10\x10\xff\xf0\xf0\xf0\xff", 8)},
        // 0x12FF / 257 = 18.9: rounded to 19, not cut to 18
        {"grey 16", {1, 1, 0, 16, false, "\x12\xFF"}, std::string("\x13\x13\x13\xff", 4)},
        {"grey and alpha", {1, 1, 4, 8, false, "\x40\x80"}, std::string("\x40\x40\x40\x80", 4)},
        // 2-bit indices 0, 1, 2 packed high bits first: 0b00011000; tRNS for the first two
        {"palette 2", {3, 1, 3, 2, false, "\x18", std::string("\xff\0\0\0\xff\0\0\0\xff", 9), "\xff\x7f"},
         std::string("\0\0\xff\xff\0\xff\0\x7f\xff\0\0\xff", 12)},
        {"RGBA 16", {1, 1, 6, 16, false, std::string("\xff\xff\0\0\x01\x01\x80\0", 8)}, std::string("\x01\0\xff\x80", 4)},
        {"RGB interlaced", {3, 3, 2, 8, true, rgb9}, bgra9},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(dir.File("p.png"), PngFileBytes(c.png));
        const TTextureBitmap bmp = ReadImageFile(dir.File("p.png"));
        EXPECT_EQ(bmp.Width, int(c.png.width));
        EXPECT_EQ(std::string(bmp.Pixels.begin(), bmp.Pixels.end()), c.bgra);
    }
    // The window's BMP (24-bit, bottom-up), and a 32-bit one top-down whose
    // fourth bytes are not alpha.
    const TTextureBitmap p = Picture(3, 3, [](int x, int y) { return uint32_t(x * 0x10203000 + y * 0x01020300 + 0xFF); });
    WriteBytes(dir.File("p.bmp"), BmpBytes(p));
    EXPECT_EQ(ReadImageFile(dir.File("p.bmp")).Pixels, p.Pixels);
    std::string top = BmpBytes(Picture(1, 2, [](int, int) { return 0xFFu; }));
    top.replace(22, 4, LE32(uint32_t(-2)));  // height -2
    top.replace(28, 2, LE16(32));
    top.replace(54, 8, std::string("\x01\x02\x03\x00\x04\x05\x06\x00", 8));
    WriteBytes(dir.File("t.bmp"), top);
    const TTextureBitmap t = ReadImageFile(dir.File("t.bmp"));
    EXPECT_EQ(std::string(t.Pixels.begin(), t.Pixels.end()), std::string("\x01\x02\x03\xff\x04\x05\x06\xff", 8));
}

// Damaged and hostile pictures: a clear error, and the dictionary as it was.
TEST(ImageReader, RefusesDamagedAndHugePicturesBeforeAnythingIsWritten)
{
    TempDir dir;
    const std::string good = PngFileBytes({4, 4, 2, 8, false, std::string(48, '\x55')});
    const std::string sig = good.substr(0, 8);
    // IHDR: 100000 × 100000, 8-bit RGB; a correct checksum, then no pixels.
    const std::string huge = sig + PngChunk("IHDR", BE32(100000) + BE32(100000) + std::string("\x08\x02\0\0\0", 5));
    std::string badCrc = good;
    const size_t idat = badCrc.find("IDAT");
    badCrc[idat + 4 + LoadBE32(reinterpret_cast<const uint8_t*>(good.data()) + idat - 4)] ^= 1;  // its checksum
    std::string bmpHuge = BmpBytes(Picture(1, 1, [](int, int) { return 0xFFu; }));
    bmpHuge.replace(18, 4, LE32(5000));
    const struct {
        std::string bytes, error;
    } cases[] = {
        {good.substr(0, good.size() - 20), "Read beyond end of file"},
        {huge, "p: the picture is 100000×100000 pixels; a texture's sides are 1 to 4096 pixels"},
        {badCrc, "p: not a readable PNG picture (IDAT: CRC error)"},
        {bmpHuge, "p: the picture is 5000×1 pixels; a texture's sides are 1 to 4096 pixels"},
        {"GIF89a", "p: neither a PNG nor a BMP picture"},
    };
    const std::string txd = DictionaryBytes({Dxt1Texture("t", 4, 4, [](unsigned, unsigned) { return 0; })});
    WriteBytes(dir.File("a.txd"), txd);
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    for (const auto& c : cases) {
        WriteBytes("p", c.bytes);
        try {
            ops::ChangeTexture("a.txd", Replace("t", "p"));
            ADD_FAILURE() << c.error;
        } catch (const std::exception& e) {
            EXPECT_EQ(e.what(), c.error);
        }
        EXPECT_EQ(ReadBytes("a.txd"), txd);
    }
    std::filesystem::current_path(cwd);
}

// Each texture of the real dictionaries exported as a PNG (RGBA where it has
// alpha) and put back: DXT
// within a few levels of the picture, 32-bit exactly, the same mip levels;
// every other texture's bytes and the rest of the list as they were.
TEST(TextureEdit, RealDictionariesTakeBackTheirOwnTextures)
{
    const std::string real = RealDataDir();
    if (real.empty()) GTEST_SKIP() << "no real sample files";
    TempDir dir;
    for (const auto& file : std::filesystem::directory_iterator(real + "/txd")) {
        const std::string original = file.path().string();
        const std::vector<TTextureInfo> list = ReadList(original);
        for (size_t k = 0; k < list.size(); ++k) {
            SCOPED_TRACE(file.path().filename().string() + " " + list[k].Name);
            const std::string txd = dir.File("t.txd"), png = dir.File("t.png");
            WriteBytes(txd, ReadBytes(original));
            {
                TFileBytes f(original);
                ExportTexture(f, list[k], list[k].Width, list[k].Height, dmColor, TPictureFormat::Png, png);
            }
            const TTextureBitmap picture = Decoded(original, list[k]);
            ops::ChangeTexture(txd, Replace(list[k].Name, png));

            const std::vector<TTextureInfo> now = ReadList(txd);
            ASSERT_EQ(now.size(), list.size());
            const TTextureDictionaryParts was = Parts(original), is = Parts(txd);
            for (size_t i = 0; i < list.size(); ++i) {
                EXPECT_EQ(now[i].Name, list[i].Name);
                EXPECT_EQ(now[i].MaskName, list[i].MaskName);
                EXPECT_EQ(now[i].Width, list[i].Width);
                EXPECT_EQ(TextureEncoding(now[i]), TextureEncoding(list[i]));
                EXPECT_EQ(is.Textures[i].Levels, was.Textures[i].Levels);
                if (i != k) {
                    EXPECT_EQ(is.Textures[i].Native, was.Textures[i].Native);
                }
            }
            const auto diff = MeanDiff(Decoded(txd, now[k]), picture);
            const double limit = TextureEncoding(list[k]) == TTextureEncoding::Bgra32 ? 0 : 4;
            for (double d : diff) EXPECT_LE(d, limit);
        }
    }
    // The eight levels of the 128×128 DXT1 texture keep their sizes: 8192,
    // 2048, 512, 128, 32, then 8 bytes (one block) for 4×4, 2×2 and 1×1.
    const std::string nitro = dir.File("n.txd");
    WriteBytes(nitro, ReadBytes(real + "/txd/mta_race_nitro_11132.txd"));
    const std::string before = ReadBytes(nitro);
    WriteBytes(dir.File("n.png"), RgbaPng(Decoded(nitro, ReadList(nitro)[0])));
    ops::ChangeTexture(nitro, Replace("nitro", dir.File("n.png")));
    const std::string after = ReadBytes(nitro);
    ASSERT_EQ(after.size(), before.size());
    size_t at = 28 + 12 + 12 + 88;  // dictionary and its struct, native, struct, header
    for (uint32_t size : {8192, 2048, 512, 128, 32, 8, 8, 8}) {
        EXPECT_EQ(LoadLE32(reinterpret_cast<const uint8_t*>(after.data()) + at), size);
        at += 4 + size;
    }
}

// Dictionaries the reader would walk otherwise than they would be written
// are refused whole, the file as it was.
TEST(TextureEdit, DamagedDictionariesAreRefused)
{
    TempDir dir;
    const TTextureSpec tex = Dxt1Texture("t", 4, 4, [](unsigned, unsigned) { return 0; });
    const std::string header = TextureHeaderBytes(tex) + tex.data;
    const std::string ext = RwSection(rwExtension, "");
    TTextureSpec pal = tex;
    pal.rasterFormat = 0x2500;
    pal.palette = std::string(1024, 'p');
    const std::string palHeader = TextureHeaderBytes(pal);  // 88 + 1024 + the 4-byte size
    auto one = [&](const std::string& structContents) {
        return RwSection(rwTextureDictionary,
                         RwSection(rwStruct, LE16(1) + LE16(2)) + RwSection(rwTextureNative, RwSection(rwStruct, structContents) + ext) + ext);
    };
    const struct {
        std::string bytes, error;
    } cases[] = {
        {RwSection(rwTextureDictionary, RwSection(rwStruct, LE16(1) + LE16(2) + "xxxx") + TextureNativeBytes(tex) + ext),
         "its struct is not 4 bytes long"},
        {RwSection(rwTextureDictionary, RwSection(rwStruct, LE16(1) + LE16(2)) +
                             RwSection(rwTextureNative, RwSection(rwStruct, header) + TextureNativeBytes(tex)) + ext),
         "a texture holds another texture"},
        {RwSection(rwTextureDictionary, RwSection(rwStruct, LE16(1) + LE16(2)) + RwSection(rwTextureNative, RwSection(rwStruct, header), RwVersionSA, 999)),
         "a section runs past the end of the section holding it"},
        {one(header.substr(0, 91)), "a texture header is cut short"},
        {one(palHeader.substr(0, 88 + 1024 + 3)), "a texture's palette is cut short"},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.File("a.txd"), c.bytes);
        try {
            ops::ChangeTexture(dir.File("a.txd"), {TTextureChangeKind::Remove, "t", "", {}});
            ADD_FAILURE() << c.error;
        } catch (const ETextureEditError& e) {
            EXPECT_EQ(e.what(), "The texture dictionary is damaged: " + c.error);
        }
        EXPECT_EQ(ReadBytes(dir.File("a.txd")), c.bytes);
    }
}
