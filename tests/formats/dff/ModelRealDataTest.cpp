// The model reader against models written by other people's tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "formats/dff/Model.h"
#include "formats/dff/ModelTextures.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// The sample's path, or "" when the samples are not there.
std::string Sample(const std::string& name)
{
    const std::string root = RealDataDir();
    if (root.empty()) return {};
    const std::string path = root + "/" + name;
    return FileExists(path) ? path : std::string();
}

#define MODEL_OR_SKIP(var, name)                                                       \
    const std::string var##Path = Sample(name);                                        \
    if (var##Path.empty()) GTEST_SKIP() << "sample " << name << " is not there";       \
    const TModelRead var = ReadSample(var##Path)

TModelRead ReadSample(const std::string& path)
{
    // Samples are opened read-only: they are not ours to write.
    TModelRead r;
    TFileBytes f(path);
    ReadModel(f, r);
    return r;
}

// A part read at the right offsets: the corners of every triangle within the
// part's vertices, inside the bounding sphere, with stored normals of unit
// length and finite texture coordinates. (Vertices no triangle uses may hold
// anything: one sample has such a stray.)
void ExpectPlausible(const TModelPart& p, size_t index)
{
    for (const TTriangle& t : p.Triangles) {
        for (uint16_t k : {t.A, t.B, t.C}) {
            ASSERT_LT(k, p.Positions.size()) << "part " << index;
            const TVec3& v = p.Positions[k];
            ASSERT_LE(std::hypot(v.X - p.Centre.X, v.Y - p.Centre.Y, v.Z - p.Centre.Z), p.Radius * 1.01 + 1e-3)
                << "part " << index << " vertex " << k;
            if (p.Flags & gfNormals) {
                const TVec3& n = p.Normals[k];
                ASSERT_NEAR(std::hypot(n.X, n.Y, n.Z), 1, 0.02) << "part " << index << " vertex " << k;
            }
            ASSERT_TRUE(std::isfinite(p.TexCoords[k].U) && std::isfinite(p.TexCoords[k].V)) << "part " << index;
        }
    }
}

void ExpectSameGeometry(const TModelPart& a, const TModelPart& b, size_t index)
{
    ASSERT_EQ(a.Positions.size(), b.Positions.size()) << index;
    ASSERT_EQ(a.Triangles.size(), b.Triangles.size()) << index;
    for (size_t k = 0; k < a.Positions.size(); ++k) {
        ASSERT_EQ(a.Positions[k].X, b.Positions[k].X) << index << " " << k;
        ASSERT_EQ(a.Positions[k].Z, b.Positions[k].Z) << index << " " << k;
        ASSERT_EQ(a.Normals[k].Y, b.Normals[k].Y) << index << " " << k;
        ASSERT_EQ(a.TexCoords[k].U, b.TexCoords[k].U) << index << " " << k;
    }
}

}  // namespace

TEST(ModelRealData, SanAndreasCar)
{
    MODEL_OR_SKIP(m, "dff/rwparser_infernus.dff");
    ASSERT_EQ(m.Parts.size(), 15u);
    EXPECT_EQ(m.Parts[0].Positions.size(), 298u);
    EXPECT_EQ(m.Parts[0].Triangles.size(), 250u);
    EXPECT_EQ(m.Parts[14].Positions.size(), 1970u);
    EXPECT_EQ(m.Parts[14].Triangles.size(), 1710u);
    EXPECT_FLOAT_EQ(m.Parts[14].Radius, 2.849857807f);
    EXPECT_EQ(m.Parts[1].Flags, 0xF3u);  // two texture-coordinate sets by flag 0x80
    for (size_t i = 0; i < m.Parts.size(); ++i) ExpectPlausible(m.Parts[i], i);
}

TEST(ModelRealData, Library36WithoutLightingBlock)
{
    MODEL_OR_SKIP(old, "dff/rwparser_infernus_old.dff");
    MODEL_OR_SKIP(m, "dff/rwparser_infernus.dff");
    ASSERT_EQ(old.Parts.size(), 15u);
    for (size_t i = 0; i < 15; ++i) {
        ExpectPlausible(old.Parts[i], i);
        ExpectSameGeometry(old.Parts[i], m.Parts[i], i);
        EXPECT_EQ(old.Parts[i].Radius, m.Parts[i].Radius) << i;
    }
    EXPECT_EQ(old.VertexTotal, m.VertexTotal);
}

TEST(ModelRealData, BothTextureFlagsWithTwoSets)
{
    MODEL_OR_SKIP(two, "dff/rwparser_infernus2.dff");
    MODEL_OR_SKIP(m, "dff/rwparser_infernus.dff");
    ASSERT_EQ(two.Parts.size(), 15u);
    EXPECT_EQ(two.Parts[0].Flags, 0xF7u);
    EXPECT_EQ(two.Parts[0].Positions.size(), 3317u);
    EXPECT_EQ(two.Parts[0].Triangles.size(), 2994u);
    for (size_t i = 0; i < 15; ++i) ExpectPlausible(two.Parts[i], i);
    for (size_t i = 1; i < 15; ++i) ExpectSameGeometry(two.Parts[i], m.Parts[i], i);
}

TEST(ModelRealData, CharacterAndPrelitModels)
{
    MODEL_OR_SKIP(wuzimu, "dff/rwparser_wuzimu.dff");
    ASSERT_EQ(wuzimu.Parts.size(), 1u);
    EXPECT_EQ(wuzimu.VertexTotal, 990);
    EXPECT_EQ(wuzimu.TriangleTotal, 1218);
    ExpectPlausible(wuzimu.Parts[0], 0);

    MODEL_OR_SKIP(hydrant, "dff/rwng_fire_hydrant.dff");
    ASSERT_EQ(hydrant.Parts.size(), 1u);
    EXPECT_EQ(hydrant.Parts[0].Positions.size(), 434u);
    EXPECT_EQ(hydrant.Parts[0].Triangles.size(), 278u);
    ExpectPlausible(hydrant.Parts[0], 0);

    MODEL_OR_SKIP(lamp, "dff/rwng_lamppost1.dff");
    ASSERT_EQ(lamp.Parts.size(), 1u);
    EXPECT_EQ(lamp.VertexTotal, 81);
    EXPECT_EQ(lamp.TriangleTotal, 45);
    ExpectPlausible(lamp.Parts[0], 0);
}

TEST(ModelRealData, CarsStandOnTheirFramesWithTheirOwnTextures)
{
    // Where a part lands: its frame's position plus its parents', read off the
    // frame lists' bytes (no frame on these chains is turned).
    const struct {
        const char* car;
        const char* part;
        TVec3 at;
    } parts[] = {
        {"infernus", "door_lf_ok", {-1.09663f, 1.13597f, -0.15f}},  // door_lf_dummy
        {"infernus", "wheel", {0.955f, 1.71332f, -0.35f}},          // wheel_rf_dummy
        {"copcarla", "door_lf_ok", {-1.1f, -0.606033f + 1.637f, 0.414048f - 0.35f}},  // door_lf_dummy + chassis
        {"copcarla", "wheel", {0.92f - 0.0187618f, 1.63719f + 0.00419462f, -0.35f}},   // wheel + wheel_rf_dummy
        {"bullet", "door_lf_ok", {-1.00816f, 0.554599f, -0.04865f}},
        {"bullet", "wheel", {0.899f, 1.49834f, -0.25f}},
    };
    for (const auto& p : parts) {
        MODEL_OR_SKIP(m, std::string("dff/rwparser_") + p.car + ".dff");
        ASSERT_EQ(m.SceneError, "") << p.car;
        bool found = false;
        for (const TModelPlacement& pl : AssembleModel(m)) {
            if (PlacementName(m, pl) != p.part) continue;
            found = true;
            const TVec3 o = TransformPoint(pl.World, {0, 0, 0});
            EXPECT_NEAR(o.X, p.at.X, 1e-5) << p.car << " " << p.part;
            EXPECT_NEAR(o.Y, p.at.Y, 1e-5) << p.car << " " << p.part;
            EXPECT_NEAR(o.Z, p.at.Z, 1e-5) << p.car << " " << p.part;
        }
        EXPECT_TRUE(found) << p.car << " " << p.part;
    }
    // The bullet's chassis frame is turned half round about Z.
    MODEL_OR_SKIP(bullet, "dff/rwparser_bullet.dff");
    for (const TModelPlacement& pl : AssembleModel(bullet))
        if (PlacementName(bullet, pl) == "chassis") {
            const TVec3 v = TransformPoint(pl.World, {1, 2, 3});
            EXPECT_EQ(v.X + v.Y + v.Z, -1 - 2 + 3);
            EXPECT_EQ(v.X, -1);
        }

    // Every material naming a texture of the car's own dictionary finds it;
    // the shared vehicle textures live in a dictionary that is not here.
    const struct {
        const char* car;
        size_t textures, materials;  // in the dictionary; materials naming them
    } cars[] = {{"infernus", 3, 11}, {"copcarla", 2, 12}, {"bullet", 1, 7}};
    for (const auto& c : cars) {
        MODEL_OR_SKIP(m, std::string("dff/rwparser_") + c.car + ".dff");
        const std::string txd = Sample(std::string("txd/rwparser_") + c.car + ".txd");
        if (txd.empty()) GTEST_SKIP() << "dictionary of " << c.car << " is not there";
        const TModelTextures t = FindModelTextures(m, {{txd}});
        EXPECT_EQ(t.Images.size(), c.textures) << c.car;
        size_t own = 0;
        for (size_t g = 0; g < m.Parts.size(); ++g)
            for (size_t k = 0; k < m.Parts[g].Materials.size(); ++k) {
                const std::string& name = m.Parts[g].Materials[k].Texture;
                const bool ours = name.rfind(std::string(c.car) + "92", 0) == 0;
                own += ours;
                EXPECT_EQ(t.ImageOf(uint32_t(g), uint32_t(k)) >= 0, ours) << c.car << " " << name;
            }
        EXPECT_EQ(own, c.materials) << c.car;
    }
}

TEST(ModelRealData, CarsStandOnAWheelAtEveryDummy)
{
    // The dummies hang from the unturned root frame at the origin: their
    // world positions are their frame positions as stored. copcarla's wheel
    // frame sits 0.0188 off its dummy; the copy stands on the dummy itself.
    // Left ones mirrored: their +x (the outer face) points away from the body.
    const struct {
        const char *car, *dummy;
        TVec3 at;
    } wheels[] = {{"infernus", "wheel_lf_dummy", {-0.9549999237f, 1.7133152485f, -0.349999845f}},
                  {"infernus", "wheel_rb_dummy", {0.9549999237f, -1.7132178545f, -0.349999845f}},
                  {"copcarla", "wheel_lb_dummy", {-0.9200000167f, -1.6438794136f, -0.3499999046f}},
                  {"copcarla", "wheel_rf_dummy", {0.9200000167f, 1.6371892691f, -0.3500000834f}},
                  {"bullet", "wheel_lf_dummy", {-0.8989499211f, 1.4980000257f, -0.25f}},
                  {"bullet", "wheel_rf_dummy", {0.8990000486f, 1.4983443022f, -0.2499999404f}}};
    for (const auto& w : wheels) {
        MODEL_OR_SKIP(m, std::string("dff/rwparser_") + w.car + ".dff");
        const std::vector<TModelPlacement> all = AssembleModel(m);
        const auto wheel = std::find_if(all.begin(), all.end(), [&](const auto& p) { return PlacementName(m, p) == "wheel"; });
        ASSERT_TRUE(wheel != all.end() && wheel->Copies.size() == 4) << w.car;
        const auto c = std::find_if(wheel->Copies.begin(), wheel->Copies.end(),
                                    [&](const TPartCopy& c) { return m.Frames[size_t(c.Frame)].Name == w.dummy; });
        ASSERT_NE(c, wheel->Copies.end()) << w.car << " " << w.dummy;
        const TVec3 o = TransformPoint(c->World, {0, 0, 0}), x = TransformPoint(c->World, {1, 0, 0});
        const bool left = w.dummy[6] == 'l';
        EXPECT_TRUE(std::abs(o.X - w.at.X) < 1e-6 && std::abs(o.Y - w.at.Y) < 1e-6 && std::abs(o.Z - w.at.Z) < 1e-6 &&
                    std::abs(x.X - o.X - (left ? -1 : 1)) < 1e-6 && c->Mirrored == left)
            << w.car << " " << w.dummy << ": " << o.X << " " << o.Y << " " << o.Z << " " << x.X;
        // One row: all four drawn, or none.
        std::vector<bool> checked(all.size(), true);
        const size_t row = size_t(wheel - all.begin());
        EXPECT_EQ(BuildSceneMeshes(m, all, {}, checked, -1)[row].Vertices.size(), 12 * m.Parts[wheel->Geometry].Triangles.size());
        checked[row] = false;
        EXPECT_TRUE(BuildSceneMeshes(m, all, {}, checked, -1)[row].Vertices.empty()) << w.car;
    }
}
