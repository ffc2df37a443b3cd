// korvane-cli txd, run as a separate process.
#include <gtest/gtest.h>

#include "CliRun.h"

#include <cstdio>
#include <fstream>

#include "formats/picture/BmpWriter.h"
#include "formats/txd/TextureDecode.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/ModelWriters.h"
#include "support/PngRead.h"
#include "support/PngWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TRun Txd(const std::string& args) { return Cli("txd " + args); }

TTextureBitmap Decoded(const TTextureSpec& s, TDecodeMode mode, int w = -1, int h = -1)
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
    return DecodeTexture(reinterpret_cast<const uint8_t*>(s.data.data()), s.data.size(), t, w < 0 ? s.width : w,
                         h < 0 ? s.height : h, mode, reinterpret_cast<const uint8_t*>(s.palette.data()));
}

uint32_t Pattern(unsigned x, unsigned y) { return uint32_t((x * 16) << 24 | (x * 8) << 16 | (y * 8) << 8 | (x + y)); }

// Textures of every kind the list tells apart.
std::vector<TTextureSpec> Textures()
{
    TTextureSpec odd = MakeTexture("odd", "", 16, 16, std::string(100, '\x01'));
    odd.rasterFormat = 0x500;
    TTextureSpec rgb565 = MakeTexture("dash", "", 4, 2, Pixel16Bytes(4, 2, [](unsigned, unsigned) { return 0xF800; }));
    rgb565.rasterFormat = 0x200;
    const std::vector<uint32_t> palette = {0xFFFF0000u, 0x8000FF00u, 0x000000FFu};
    auto index = [](unsigned x, unsigned y) { return uint8_t((x + y) % 3); };
    TTextureSpec pal8 = PalTexture("pal", 16, 16, false, palette, 8, index);
    pal8.alphaFlag = 1;
    return {Dxt1Texture("\xC4\xEE\xF0\xEE\xE3\xE0", 16, 8, Pattern), Dxt3Texture("glass", "glassm", 8, 8, Pattern),
            Bgra32Texture("sky", "", 4, 4, Pattern), odd, rgb565, pal8,
            PalTexture("pal4", 8, 2, true, palette, 4, index), Dxt5Texture("shield", "shieldm", 8, 8, Pattern)};
}

}  // namespace

TEST(CliTxd, ListsTheTexturesOfALooseDictionaryAndOfAnArchiveEntry)
{
    TempDir dir;
    const std::string txd = DictionaryBytes(Textures());
    WriteBytes(dir.File("a.txd"), txd);
    const std::string expected =
        "Дорога\t\t16x8\tdxt1\t0\n"
        "glass\tglassm\t8x8\tdxt3\t1\n"
        "sky\t\t4x4\tbgra32\t1\n"
        "odd\t\t16x16\tunsupported\t0\n"
        "dash\t\t4x2\trgb565\t0\n"
        "pal\t\t16x16\tpal8\t1\n"
        "pal4\t\t8x2\tpal4\t0\n"
        "shield\tshieldm\t8x8\tdxt5\t1\n";
    TRun r = Txd(Quote(dir.File("a.txd")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    std::string img = Ver2Bytes({{1, 1, "x.dat"}, {2, 2, "a.txd"}}, 4 * 2048);
    img.replace(2 * 2048, txd.size(), txd);
    WriteBytes(dir.File("b.img"), img);
    r = Txd(Quote(dir.File("b.img")) + " 1");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    r = Txd(Quote(dir.File("b.img")) + " 2");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no entry 2"), std::string::npos) << r.err;
}

TEST(CliTxd, ExportsEachTextureAsABmpFile)
{
    TempDir dir;
    const std::vector<TTextureSpec> tex = Textures();
    WriteBytes(dir.File("a.txd"), DictionaryBytes(tex));
    const std::string out = dir.File("out");
    TRun r = Txd(Quote(dir.File("a.txd")) + " --export " + Quote(out));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(out + "/Дорога.bmp"), BmpBytes(Decoded(tex[0], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/glass.bmp"), BmpBytes(Decoded(tex[1], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/sky.bmp"), BmpBytes(Decoded(tex[2], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/dash.bmp"), BmpBytes(Decoded(tex[4], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/pal.bmp"), BmpBytes(Decoded(tex[5], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/pal4.bmp"), BmpBytes(Decoded(tex[6], dmColor)));
    EXPECT_EQ(ReadBytes(out + "/shield.bmp"), BmpBytes(Decoded(tex[7], dmColor)));
    EXPECT_FALSE(std::ifstream(out + "/odd.bmp").good());
    EXPECT_EQ(r.err, "korvane-cli txd: skipping odd: unsupported pixel format\n");

    // Masks under the mask name, or NAME_mask without one; any size.
    r = Txd(Quote(dir.File("a.txd")) + " --export " + Quote(out) + " --mode mask --size 5x3");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(out + "/glassm.bmp"), BmpBytes(Decoded(tex[1], dmMask, 5, 3)));
    EXPECT_EQ(ReadBytes(out + "/sky_mask.bmp"), BmpBytes(Decoded(tex[2], dmMask, 5, 3)));
    EXPECT_EQ(ReadBytes(out + "/pal_mask.bmp"), BmpBytes(Decoded(tex[5], dmMask, 5, 3)));
    EXPECT_EQ(ReadBytes(out + "/shieldm.bmp"), BmpBytes(Decoded(tex[7], dmMask, 5, 3)));
}

TEST(CliTxd, ExportsPngFilesWithTheAlphaOfColourPictures)
{
    TempDir dir;
    const std::vector<TTextureSpec> tex = Textures();
    WriteBytes(dir.File("a.txd"), DictionaryBytes(tex));
    auto png = [&](const std::string& mode, const std::string& file) {
        Txd(Quote(dir.File("a.txd")) + " --format png --export " + Quote(dir.File(mode)) + " --mode " + mode);
        return ReadPng(ReadBytes(dir.File(mode + "/" + file)));
    };
    // Composite pictures are RGB, the decoded colours as they are.
    const TTextureBitmap d = Decoded(tex[1], dmComposite);
    std::vector<uint8_t> rgba = d.Pixels;
    for (size_t i = 0; i < rgba.size(); i += 4) std::swap(rgba[i], rgba[i + 2]);
    TPngPicture p = png("composite", "glass.png");
    EXPECT_FALSE(p.alpha);
    EXPECT_EQ(p.rgba, rgba);
    // Pattern's alpha is 16x: DXT3 keeps x, widened to 17x; 32 bits keep 16x.
    EXPECT_EQ(png("color", "glass.png").Pixel(3, 5) >> 24, 51u);
    EXPECT_EQ(png("color", "sky.png").Pixel(3, 1) >> 24, 48u);
    EXPECT_FALSE(png("color", "Дорога.png").alpha);  // DXT1 without alpha
    EXPECT_FALSE(png("mask", "glassm.png").alpha);

    // A texture of no pixels cannot be a PNG file: skipped with a word.
    WriteBytes(dir.File("z.txd"), DictionaryBytes({MakeTexture("none", "", 0, 4, "")}));
    const TRun r = Txd(Quote(dir.File("z.txd")) + " --export " + Quote(dir.File("z")) + " --format png");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "korvane-cli txd: skipping none: a PNG file cannot be empty\n");
}

TEST(CliTxd, ListsRealDictionariesWithTheirEncodingsAndAlpha)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "no real data folder";
    TRun r = Txd(Quote(root + "/txd/rwparser_infernus.txd"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "infernus92wheel32\t\t32x32\tdxt1\t0\n"
              "infernus92interior128\t\t128x128\tdxt1\t0\n"
              "infernus92handle32\t\t32x16\tdxt3\t1\n");
    r = Txd(Quote(root + "/txd/mta_stealth_riot_shield_22068.txd"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "riot_shield\t\t128x128\tdxt5\t1\n");
    TempDir dir;
    r = Txd(Quote(root + "/txd/mta_stealth_riot_shield_22068.txd") + " --export " + Quote(dir.File("out")) +
            " --mode mask");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir.File("out/riot_shield_mask.bmp")).size(), 54u + 128 * 128 * 3);
}

TEST(CliTxd, HostileDictionariesFailCleanly)
{
    TempDir dir;
    // Pixel data said to run past the end of the file.
    TTextureSpec big = Dxt1Texture("big", 8, 8, Pattern);
    big.dataSizeOverride = 0x7FFFFFF0;
    TTextureSpec late = Dxt1Texture("late", 8, 8, Pattern);
    WriteBytes(dir.File("a.txd"), DictionaryBytes({Dxt1Texture("first", 8, 8, Pattern), big, late}));
    TRun r = Txd(Quote(dir.File("a.txd")) + " --export " + Quote(dir.File("out")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("a.txd") + ": Read beyond end of file\n");
    EXPECT_FALSE(ReadBytes(dir.File("out/first.bmp")).empty());
    EXPECT_FALSE(std::ifstream(dir.File("out/late.bmp")).good());
    // A name that would leave the folder stays inside it.
    WriteBytes(dir.File("b.txd"), DictionaryBytes({Dxt1Texture("../x", 4, 4, Pattern)}));
    r = Txd(Quote(dir.File("b.txd")) + " --export " + Quote(dir.File("out")));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(std::ifstream(dir.File("out/.._x.bmp")).good());
    // One texture more than there are: the list shows those read, then fails.
    WriteBytes(dir.File("d.txd"), DictionaryBytes({Dxt1Texture("only", 4, 4, Pattern)}, 2));
    r = Txd(Quote(dir.File("d.txd")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "only\t\t4x4\tdxt1\t0\n");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("d.txd") + ": Read beyond end of file\n");
    // A palette cut short by the end of the file.
    const std::string cut = DictionaryBytes(
        {Dxt1Texture("only", 4, 4, Pattern), PalTexture("p", 4, 4, false, {0xFF000000u}, 8, [](unsigned, unsigned) { return 0; })});
    WriteBytes(dir.File("e.txd"), cut.substr(0, cut.size() - 600));
    r = Txd(Quote(dir.File("e.txd")));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "only\t\t4x4\tdxt1\t0\n");
    EXPECT_EQ(r.err, "korvane-cli: " + dir.File("e.txd") + ": Read beyond end of file\n");
}

// txd, dff and ipl on something that is not what they read say what is
// missing and name the entry; nothing is printed before.
TEST(CliPreviews, AnEntryOrFileOfAnotherKindIsNamedWithWhatItDoesNotHold)
{
    TempDir dir;
    // Sector 1: a model named "м.dff" in Windows-1251; 2: a dictionary, with
    // an empty entry at the same place; 3: a placement file with no records.
    std::string img = Ver2Bytes({{1, 1, "\xEC.dff"}, {2, 1, "a.txd"}, {3, 1, "p.ipl"}, {2, 0, "empty.txd"}}, 4 * 2048);
    const std::string model = ModelBytes({QuadGeometry(1, true)}), txd = DictionaryBytes({Dxt1Texture("t", 4, 4, Pattern)});
    img.replace(2048, model.size(), model);
    img.replace(2 * 2048, txd.size(), txd);
    img.replace(3 * 2048, 4, "bnry");
    WriteBytes(dir.File("a.img"), img);
    WriteBytes(dir.File("m.dff"), model);
    WriteBytes(dir.File("t.ipl"), "bnr");
    const std::string a = dir.File("a.img");
    const std::pair<std::string, std::string> runs[] = {
        {"txd " + Quote(a) + " 0", a + ": entry 0 (м.dff) holds no texture dictionary"},
        {"ipl " + Quote(a) + " 0", a + ": entry 0 (м.dff) holds no binary placement file"},
        {"dff " + Quote(a) + " 1", a + ": entry 1 (a.txd) holds no model"},
        {"dff " + Quote(a) + " 2", a + ": entry 2 (p.ipl) holds no model"},
        {"txd " + Quote(a) + " 3", a + ": entry 3 (empty.txd) holds no texture dictionary"},  // not entry 1's
        {"txd " + Quote(dir.File("m.dff")), dir.File("m.dff") + ": the file holds no texture dictionary"},
        {"ipl " + Quote(dir.File("t.ipl")), dir.File("t.ipl") + ": the file holds no binary placement file"},
        {"txd " + Quote(dir.File("t.ipl")), dir.File("t.ipl") + ": the file holds no texture dictionary"},
    };
    for (const auto& [args, message] : runs) {
        const TRun r = Cli(args);
        EXPECT_EQ(r.code, 1) << args;
        EXPECT_EQ(r.err, "korvane-cli: " + message + "\n");
        EXPECT_EQ(r.out, "") << args;
    }
    EXPECT_EQ(Txd(Quote(a) + " 1").out, "t\t\t4x4\tdxt1\t0\n");
    EXPECT_EQ(Cli("dff " + Quote(a) + " 0").code, 0);
    EXPECT_EQ(Cli("ipl " + Quote(a) + " 2").code, 0);
}

TEST(CliTxd, UsageErrors)
{
    EXPECT_EQ(Txd("").code, 2);
    EXPECT_EQ(Txd("a.txd --mode grey").code, 2);
    EXPECT_EQ(Txd("a.txd --size 0x4").code, 2);
    EXPECT_EQ(Txd("a.txd --format gif").code, 2);
    EXPECT_EQ(Txd("a.img x").code, 2);
    const TRun help = Txd("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage: korvane-cli txd"), std::string::npos);
}

// One change a call, to a loose dictionary or an archive entry, which keeps
// its name; the list shows the result.
TEST(CliTxd, ReplacesAddsAndRemovesTextures)
{
    TempDir dir;
    const std::string txd = DictionaryBytes({Dxt1Texture("wall", 4, 4, Pattern), Dxt3Texture("glass", "", 4, 4, Pattern)});
    std::string img = Ver2Bytes({{1, 1, "x.dat"}, {2, 1, "car.txd"}}, 3 * 2048);
    img.replace(2 * 2048, txd.size(), txd);
    WriteBytes(dir.File("b.img"), img);
    TPngSpec clear;
    clear.width = clear.height = 4;
    clear.colourType = 6;
    clear.rows = std::string(64, '\x7f');  // alpha 127 everywhere
    WriteBytes(dir.File("clear.png"), PngFileBytes(clear));
    const std::string clearPng = Quote(dir.File("clear.png"));
    const std::string wall = "wall\t\t4x4\tdxt1\t0\n", glass = "glass\t\t4x4\tdxt3\t1\n";
    const struct {
        std::string args;
        int code;
        std::string err, list;
    } cases[] = {
        {"--replace WALL " + clearPng, 0,
         "korvane-cli txd: warning: the picture has transparent pixels, so wall is stored as DXT3, not DXT1\n",
         "wall\t\t4x4\tdxt3\t1\n" + glass},
        {"--add " + clearPng + " --encoding bgra32", 0, "", wall + glass + "clear\t\t4x4\tbgra32\t1\n"},
        {"--add " + clearPng + " --name Стекло", 0, "", wall + glass + "Стекло\t\t4x4\tdxt5\t1\n"},
        {"--remove Glass", 0, "", wall},
        {"--remove nope", 1, "korvane-cli: No texture named \"nope\" in the dictionary\n", wall + glass},
        {"--add " + clearPng + " --name GLASS", 1, "korvane-cli: A texture named \"GLASS\" is already in the dictionary\n",
         wall + glass},
    };
    for (const char* where : {"loose", "archive"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(where) + " " + c.args);
            const bool loose = where[0] == 'l';
            WriteBytes(dir.File("a.txd"), txd);
            WriteBytes(dir.File("b.img"), img);
            const std::string source = loose ? Quote(dir.File("a.txd")) : Quote(dir.File("b.img")) + " 1";
            const TRun r = Txd(source + " " + c.args);
            EXPECT_EQ(r.code, c.code);
            EXPECT_EQ(r.err, c.err);
            EXPECT_EQ(Txd(source).out, c.list);
        }
    }
    // An entry of another kind is named, as the listing names it.
    const TRun other = Txd(Quote(dir.File("b.img")) + " 0 --remove wall");
    EXPECT_EQ(other.code, 1);
    EXPECT_EQ(other.err, "korvane-cli: " + dir.File("b.img") + ": entry 0 (x.dat) holds no texture dictionary\n");
    // The new dictionary goes past the old end, sector 3 (the archive was three);
    // only the entry's record changes, to offset 3 (size and name kept).
    EXPECT_EQ(Txd(Quote(dir.File("b.img")) + " 1 --replace wall " + clearPng).code, 0);
    std::string want = img;
    want[40] = 3;  // record 1: 8-byte header + 32
    EXPECT_EQ(ReadBytes(dir.File("b.img")).substr(0, img.size()), want);

    for (const std::string args : {"--remove a --add b.png", "--replace a", "--name x --remove a",
                                   "--add b.png --encoding png", "--add b.png --export out", "--add b.png --name ''"}) {
        const TRun r = Txd(Quote(dir.File("a.txd")) + " " + args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("usage: korvane-cli txd"), std::string::npos) << r.err;
    }
}
