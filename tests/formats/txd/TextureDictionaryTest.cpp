// Reading the texture table of a dictionary.
#include <gtest/gtest.h>

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

TTextureSpec Plain(const std::string& name, unsigned w, unsigned h, size_t dataSize)
{
    return MakeTexture(name, "", w, h, std::string(dataSize, '\x11'));
}

}  // namespace

TEST(TextureDictionary, ReadsEachTexturesHeaderAndWhereItsPixelsLie)
{
    TempDir dir;
    TTextureSpec a = Plain("abcdefghijklmnopqrstuvwxyz012345", 8, 4, 16);  // 32 characters, no zero
    a.maskName = "mask";
    a.alphaFlag = 1;
    TTextureSpec b = Plain("b", 16, 16, 128);
    b.alphaFlag = 2;
    b.extension = std::string(20, 'e');
    TTextureSpec c = Plain("c", 2, 2, 16);
    const std::string bytes = std::string(7, 'x') + DictionaryBytes({a, b, c});
    TFileBytes f = FileWith(dir, bytes);
    f.Seek(7);
    const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].Name, "abcdefghijklmnopqrstuvwxyz012345");
    EXPECT_EQ(t[0].MaskName, "mask");
    EXPECT_TRUE(t[0].HasAlpha);
    EXPECT_FALSE(t[1].HasAlpha);  // only exactly 1 means alpha
    EXPECT_EQ(t[1].Width, 16);
    EXPECT_EQ(t[1].Height, 16);
    EXPECT_EQ(t[1].DataSize, 128u);
    EXPECT_EQ(t[2].MaskName, "");
    // Each texture's pixels follow its 92-byte header.
    for (const TTextureInfo& info : t) {
        const std::string header = TextureHeaderBytes(info.Name == "b" ? b : info.Name == "c" ? c : a);
        EXPECT_EQ(bytes.substr(size_t(info.DataPos) - 92, 92), header) << info.Name;
    }
}

TEST(TextureDictionary, TheCountIsBothBytesOfItsFieldAndZeroGivesAnEmptyTable)
{
    TempDir dir;
    TFileBytes f = FileWith(dir, DictionaryBytes({}));
    EXPECT_TRUE(ReadTextureDictionary(f).empty());
    // 257 is 01 01; the FF FF after it belong to no count.
    std::string body = RwSection(rwStruct, LE16(257) + LE16(0xFFFF));
    for (int i = 0; i < 257; ++i) body += TextureNativeBytes(Plain("t" + std::to_string(i), 2, 2, 2));
    TFileBytes g = FileWith(dir, RwSection(rwTextureDictionary, body));
    const std::vector<TTextureInfo> t = ReadTextureDictionary(g);
    ASSERT_EQ(t.size(), 257u);
    EXPECT_EQ(t[256].Name, "t256");
}

TEST(TextureDictionary, OneTextureTooManyRunsOnIntoTheFollowingData)
{
    TempDir dir;
    // Nothing after the dictionary: the walk runs off the end of the file.
    {
        TFileBytes f = FileWith(dir, DictionaryBytes({Plain("a", 4, 4, 8)}, 2));
        try {
            ReadTextureDictionary(f);
            FAIL();
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), "Read beyond end of file");
        }
    }
    // A section with id 0x15 follows (a dictionary would be skipped whole).
    {
        const std::string next = RwSection(rwClump, "xyz") + TextureNativeBytes(Plain("other", 4, 4, 8));
        TFileBytes f = FileWith(dir, DictionaryBytes({Plain("a", 4, 4, 8)}, 2) + next);
        const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
        ASSERT_EQ(t.size(), 2u);
        EXPECT_EQ(t[1].Name, "other");
    }
}

TEST(TextureDictionary, AStreamWithoutADictionaryFails)
{
    TempDir dir;
    TFileBytes f = FileWith(dir, RwSection(rwClump, std::string(40, '\0')));
    EXPECT_THROW(ReadTextureCount(f), EInOutError);
}

TEST(TextureEncoding, IsChosenByTheDataSize)
{
    TTextureInfo t;
    t.Width = 64;
    t.Height = 64;
    auto enc = [&](uint32_t size, uint32_t format = 0) {
        t.DataSize = size;
        t.RasterFormat = format;
        return std::string(EncodingName(TextureEncoding(t)));
    };
    EXPECT_EQ(enc(4096), "dxt3");
    EXPECT_EQ(enc(2048), "dxt1");
    EXPECT_EQ(enc(16384), "bgra32");
    EXPECT_EQ(enc(20000), "bgra32");
    EXPECT_EQ(enc(8192, 0x100), "rgb1555");
    EXPECT_EQ(enc(8192, 0x200), "rgb565");
    EXPECT_EQ(enc(8192, 0x300), "argb4444");
    EXPECT_EQ(enc(8192, 0xA00), "rgb555");
    EXPECT_EQ(enc(8192, 0x500), "unsupported");
    EXPECT_EQ(enc(4096 + 1024, 0x2500), "unsupported");  // paletted
    EXPECT_EQ(enc(100), "unsupported");
    EXPECT_EQ(EncodingBitsPerPixel(TTextureEncoding::Dxt1), 4);
    EXPECT_EQ(EncodingBitsPerPixel(TTextureEncoding::Dxt3), 8);
    EXPECT_EQ(EncodingBitsPerPixel(TTextureEncoding::Bgra32), 32);
    // The largest size: the 32-bit test does not wrap around.
    t.Width = t.Height = 65535;
    EXPECT_EQ(enc(100), "unsupported");
}

TEST(TextureDictionary, RealDictionariesFromOtherTools)
{
    const std::string root = RealDataDir();
    if (root.empty()) GTEST_SKIP() << "no real data folder";
    struct TExpected {
        const char* file;
        std::vector<std::tuple<std::string, unsigned, unsigned, std::string, bool>> textures;
    };
    // Platform 9 headers: the alpha is bit 0 of header byte 87.
    const TExpected cases[] = {
        {"txd/rwparser_infernus.txd",
         {{"infernus92wheel32", 32, 32, "dxt1", false},
          {"infernus92interior128", 128, 128, "dxt1", false},
          {"infernus92handle32", 32, 16, "dxt3", true}}},
        {"txd/mta_editor2_Test.txd", {{"FLBlinker", 4, 4, "dxt1", false}}},
        {"txd/mta_race_nitro_11132.txd", {{"nitro", 128, 128, "dxt1", false}}},
        {"txd/mta_stealth_riot_shield_262312.txd", {{"riot_shield", 256, 256, "bgra32", true}}},
        {"txd/mta_stealth_riot_shield_22068.txd", {{"riot_shield", 128, 128, "dxt5", true}}},
        {"txd/rwparser_bullet.txd", {{"bullet92interior128", 128, 128, "dxt1", false}}},
        {"txd/rwparser_copcarla.txd",
         {{"copcarla92wheel64", 64, 64, "dxt1", false}, {"copcarla92interior128", 128, 128, "dxt1", false}}},
    };
    for (const TExpected& c : cases) {
        TFileBytes f(root + "/" + c.file);
        const std::vector<TTextureInfo> t = ReadTextureDictionary(f);
        ASSERT_EQ(t.size(), c.textures.size()) << c.file;
        for (size_t i = 0; i < t.size(); ++i) {
            const auto& [name, w, h, enc, alpha] = c.textures[i];
            EXPECT_EQ(t[i].Name, name);
            EXPECT_EQ(t[i].MaskName, "");
            EXPECT_EQ(t[i].Width, w);
            EXPECT_EQ(t[i].Height, h);
            EXPECT_EQ(EncodingName(TextureEncoding(t[i])), enc) << name;
            EXPECT_EQ(t[i].HasAlpha, alpha) << name;
            EXPECT_EQ(t[i].PaletteEntries, 0) << name;
            f.Seek(t[i].DataPos);
            const TTextureBitmap b = BuildTextureBitmap(f, t[i], w, h, dmMask);
            EXPECT_EQ(b.Pixels.size(), size_t(w) * h * 4);
            if (enc == "bgra32") {
                // The mask is the stored alpha byte of each pixel.
                const std::string raw = ReadBytes(root + "/" + c.file).substr(size_t(t[i].DataPos), size_t(w) * h * 4);
                for (size_t p = 0; p < size_t(w) * h; p += 97) ASSERT_EQ(b.Pixels[p * 4], uint8_t(raw[p * 4 + 3])) << p;
            }
        }
    }
}
