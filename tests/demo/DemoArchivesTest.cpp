#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "archive/ArchiveOpen.h"
#include "base/FileIO.h"
#include "demo/DemoArchives.h"
#include "demo/DemoPictures.h"
#include "formats/col/Collision.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelTextures.h"
#include "formats/ifp/Animation.h"
#include "formats/ipl/Placement.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

using namespace korvane;

// Every demo archive opens as its kind and holds exactly the demo entries,
// byte for byte where its kind counts bytes, sector-padded where it counts sectors.
TEST(DemoArchives, EveryKindHoldsTheSameEntries)
{
    TempDir dir;
    const auto paths = MakeDemoArchives(dir.Path());
    ASSERT_EQ(paths.size(), 4u);
    const auto entries = DemoEntries();
    const TArchiveKind kinds[] = {akImg, akImgV2, akSyb, akBig};
    for (size_t k = 0; k < 4; ++k) {
        const TArchiveLocation where = LocateArchive(paths[k]);
        EXPECT_EQ(where.Kind, kinds[k]) << paths[k];
        const TRecArray got = ReadDirectory(where);
        ASSERT_EQ(got.size(), entries.size()) << paths[k];
        TFile file = TFile::OpenReadWrite(where.ArchivePath);
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(EntryName(got[i]), entries[i].first);
            const uint64_t len = EntryByteLen(where.Kind, got[i]);
            ASSERT_GE(len, entries[i].second.size());
            ASSERT_LT(len - entries[i].second.size(), IsSectorKind(where.Kind) ? 2048u : 1u);
            std::string bytes(len, '\0');
            file.Seek(EntryBytePos(where.Kind, got[i]));
            file.ReadExact(bytes.data(), bytes.size());
            EXPECT_EQ(bytes.substr(0, entries[i].second.size()), entries[i].second) << entries[i].first;
            EXPECT_EQ(bytes.find_first_not_of('\0', entries[i].second.size()), std::string::npos);
        }
    }
}

TEST(DemoArchives, EntriesCoverEveryPreview)
{
    const auto entries = DemoEntries();
    auto starts = [&](size_t i, const char* magic) { return entries[i].second.compare(0, 4, magic, 4) == 0; };
    EXPECT_TRUE(starts(0, "\x16\0\0\0"));  // texture dictionary
    EXPECT_TRUE(starts(1, "\x10\0\0\0"));  // clump
    EXPECT_TRUE(starts(2, "bnry"));
    EXPECT_FALSE(starts(3, "bnry"));
}

namespace {

// The demo entry `name` as a file of its own, open.
TFileBytes EntryFile(const TempDir& dir, const std::string& name)
{
    for (const auto& [entry, bytes] : DemoEntries())
        if (entry == name) {
            FILE* f = std::fopen(dir.File(name).c_str(), "wb");
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
            return TFileBytes(dir.File(name));
        }
    throw std::runtime_error("no demo entry " + name);
}

}  // namespace

// The previews read the demo content as drawn: the textures decode to their
// pictures within the block encodings' error, the model has its three parts,
// the placement file its six instances and two cars.
TEST(DemoArchives, PreviewsReadTheDemoContent)
{
    TempDir dir;
    {
        // The collision file holds one model of each layout; the package two animations.
        std::vector<TCollisionModel> models;
        const TFileBytes col = EntryFile(dir, "lamp.col");
        ReadCollisionFile(col, models);
        ASSERT_EQ(models.size(), 3u);
        EXPECT_EQ(models[0].Version * 100 + models[1].Version * 10 + models[2].Version, 312u);
        EXPECT_EQ(models[0].ShadowFaces, 2u);
        TAnimationPackage package;
        const TFileBytes ifp = EntryFile(dir, "walk.ifp");
        ReadAnimationPackage(ifp, package);
        EXPECT_EQ(package.Animations.size(), 2u);
    }
    {
        TFileBytes f = EntryFile(dir, "textures.txd");
        const std::vector<TTextureInfo> textures = ReadTextureDictionary(f);
        ASSERT_EQ(textures.size(), 4u);
        const char* encodings[] = {"dxt1", "dxt1", "dxt3", "bgra32"};
        const char* masks[] = {"", "", "glassa", "emblema"};
        const TDemoPattern patterns[] = {TDemoPattern::Rings, TDemoPattern::Bricks, TDemoPattern::Glass,
                                         TDemoPattern::Emblem};
        for (size_t i = 0; i < 4; ++i) {
            const TTextureInfo& t = textures[i];
            EXPECT_STREQ(EncodingName(TextureEncoding(t)), encodings[i]) << t.Name;
            EXPECT_EQ(t.HasAlpha, i >= 2) << t.Name;
            EXPECT_EQ(t.MaskName, masks[i]) << t.Name;
            EXPECT_EQ(t.Platform, 8u) << t.Name;  // Direct3D 8, as the dictionary's device id says
            const TTextureBitmap want = DemoPicture(patterns[i], t.Width, t.Height);
            const TTextureBitmap colour = BuildTextureBitmap(f, t, t.Width, t.Height, dmColor);
            const TTextureBitmap mask = BuildTextureBitmap(f, t, t.Width, t.Height, dmMask);
            double colourError = 0, maskError = 0;
            for (size_t p = 0; p < want.Pixels.size(); p += 4) {
                for (int k = 0; k < 3; ++k) colourError += std::abs(int(colour.Pixels[p + k]) - int(want.Pixels[p + k]));
                maskError += std::abs(int(mask.Pixels[p]) - int(t.HasAlpha ? want.Pixels[p + 3] : 255));
            }
            const double pixels = double(want.Pixels.size() / 4);
            EXPECT_LT(colourError / (3 * pixels), 12.0) << t.Name;  // mean error per channel
            if (t.HasAlpha) {
                EXPECT_LT(maskError / pixels, 12.0) << t.Name;
            }
        }
    }
    {
        TFileBytes f = EntryFile(dir, "lamp.dff");
        TModelRead model;
        ReadModel(f, model);
        ASSERT_EQ(model.Parts.size(), 3u);
        EXPECT_TRUE(model.Parts[0].Flags & 0x10);
        EXPECT_TRUE(model.Parts[1].Flags & 0x10);
        EXPECT_FALSE(model.Parts[2].Flags & 0x10);
        EXPECT_GT(model.LargestRadius, 9.0f);
    }
    {
        // A vehicle: one wheel part at four dummies, right front (1.15, 1.3, 0.45).
        TFileBytes f = EntryFile(dir, "cart.dff");
        TModelRead cart;
        ReadModel(f, cart);
        const auto parts = AssembleModel(cart);
        ASSERT_EQ(parts.size(), 8u);
        EXPECT_EQ(PlacementName(cart, parts[2]), "wheel");
        ASSERT_EQ(parts[2].Copies.size(), 4u);
        EXPECT_EQ(cart.Frames[size_t(parts[2].Copies[1].Frame)].Name, "wheel_rf_dummy");
        const TVec3 hub = TransformPoint(parts[2].Copies[1].World, {0, 0, 0});
        EXPECT_EQ(hub.X + hub.Y + hub.Z, 1.15f + 1.3f + 0.45f);
        // Body paint, trim, front and rear lamps in the modelling tools' markers.
        for (const auto& [k, rgb] : std::vector<std::pair<size_t, uint32_t>>{{0, 0x3CFF00}, {3, 0xFF00AF}, {5, 0xFFAF00}, {6, 0xB9FF00}}) {
            const uint8_t* c = cart.Parts[k].Materials[0].Colour;
            EXPECT_EQ(uint32_t(c[0] << 16 | c[1] << 8 | c[2]), rgb) << k;
        }
        EntryFile(dir, "cart.txd");
        const TModelTextures t = FindModelTextures(cart, {{dir.File("cart.txd")}});
        EXPECT_EQ(t.Images.size(), 3u);
        EXPECT_EQ(t.ImageOf(7, 0), -1);  // the low-detail body is untextured
    }
    {
        EntryFile(dir, "street.ipl");
        TFile f = TFile::OpenReadOnly(dir.File("street.ipl"));
        unsigned char header[76];
        f.ReadExact(header, sizeof header);
        struct TLines : TPlacementSink {
            std::vector<std::string> lines;
            void Line(std::string_view l) override { lines.emplace_back(l); }
        } sink;
        ConvertPlacement(f, 0, ParseIplHeader(header), "street.ipl", sink);
        EXPECT_EQ(sink.lines.size(), 22u + 6 + 2);
        EXPECT_EQ(sink.lines[3], "1200, item1, 0, -120.50, 340.13, 10.00, 0.00, 0.00, 0.00, 1.00, -1");
    }
}
