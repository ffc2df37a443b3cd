// The model reader against models written by other people's tools.
#include <gtest/gtest.h>

#include <cmath>

#include "preview/Model.h"
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
    TFile f = TFile::OpenReadOnly(path);
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
