// Vehicles as the game draws them: the wheel part at every wheel dummy, the
// left ones mirrored, and the marker colours painted.
#include <gtest/gtest.h>

#include "preview/GltfExport.h"
#include "preview/ModelScene.h"
#include "preview/VehicleLook.h"
#include "support/FileBytes.h"
#include "support/GltfCheck.h"
#include "support/ModelWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

TModelRead ReadModelBytes(const std::string& bytes)
{
    TempDir dir;
    WriteBytes(dir.File("m.dff"), bytes);
    TFileBytes f(dir.File("m.dff"));
    TModelRead r;
    ReadModel(f, r);
    return r;
}

constexpr std::array<float, 9> Same{1, 0, 0, 0, 1, 0, 0, 0, 1};

// A wheel: a 1×1 quad facing +x at x = 0.2 of its frame (the quad of
// QuadGeometry with (x, y, z) turned to (z + 0.2, x, y)), painted; a body
// quad in the secondary marker. The wheel's own frame stands far off at
// (5, 5, 5); the dummies: left front (-1, 2, 0.3), right back (1, -2, 0.3),
// and the left front's name again at (9, 9, 9).
TRwClump TwoWheeler(bool storedNormals)
{
    TRwGeometry wheel = QuadGeometry(0.5f, storedNormals);
    for (TXyz& p : wheel.Positions) p = {p[2] + 0.2f, p[0], p[1]};
    for (TXyz& n : wheel.Normals) n = {1, 0, 0};
    wheel.Materials = {{{60, 255, 0, 255}, "", ""}};
    TRwGeometry body = QuadGeometry(1, true);
    body.Materials = {{{255, 0, 175, 200}, "", ""}};
    TRwClump c;
    c.Geometries = {wheel, body};
    c.Frames = {{Same, {0, 0, 0}, -1, "bike"},
                {Same, {-1, 2, 0.3f}, 0, "Wheel_LF_Dummy"},
                {Same, {1, -2, 0.3f}, 0, "wheel_rb_dummy"},
                {Same, {5, 5, 5}, 0, "wheel"},
                {Same, {0, 0, 1}, 0, "chassis"},
                {Same, {9, 9, 9}, 0, "WHEEL_LF_DUMMY"}};  // a repeated name: not a third wheel
    c.Atomics = {{{3, 0}, {4, 1}}};
    return c;
}

}  // namespace

TEST(VehicleLook, MarkerColoursArePaintedOthersKept)
{
    TVehiclePaint paint;
    EXPECT_EQ(std::vector<uint8_t>(paint.Primary, paint.Primary + 3), (std::vector<uint8_t>{200, 200, 200}));
    EXPECT_EQ(std::vector<uint8_t>(paint.Secondary, paint.Secondary + 3), (std::vector<uint8_t>{64, 64, 64}));
    paint = {{10, 20, 30}, {40, 50, 60}};
    const struct {
        uint8_t in[4];
        uint8_t out[4];
    } cases[] = {
        {{60, 255, 0, 255}, {10, 20, 30, 255}},     // primary paint
        {{255, 0, 175, 128}, {40, 50, 60, 128}},    // secondary, its alpha kept
        {{255, 175, 0, 255}, {226, 226, 216, 255}}, // front lamps
        {{0, 255, 200, 255}, {226, 226, 216, 255}},
        {{185, 255, 0, 255}, {110, 8, 8, 255}},     // rear lamps
        {{255, 60, 0, 7}, {110, 8, 8, 7}},
        {{60, 255, 1, 255}, {60, 255, 1, 255}},     // one off: a colour like any other
        {{61, 255, 0, 255}, {61, 255, 0, 255}},
        {{255, 0, 174, 255}, {255, 0, 174, 255}},
    };
    for (const auto& c : cases) {
        uint8_t out[4];
        PaintedColour(c.in, paint, out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(c.out, c.out + 4))
            << int(c.in[0]) << "," << int(c.in[1]) << "," << int(c.in[2]);
    }
}

TEST(VehicleLook, WheelDummiesByName)
{
    const struct {
        const char* name;
        int side;
    } cases[] = {{"wheel_lf_dummy", -1}, {"wheel_rf_dummy", 1}, {"WHEEL_LB_DUMMY", -1}, {"wheel_rb_dummy", 1},
                 {"wheel_lm_dummy", -1}, {"wheel_rm_dummy", 1}, {"wheel_xf_dummy", 0}, {"wheel_lx_dummy", 0},
                 {"wheel_lf_dummy2", 0}, {"wheel_lf_dumm", 0},  {"wheel_lf", 0},       {"wheel", 0}};
    for (const auto& c : cases) EXPECT_EQ(WheelDummySide(c.name), c.side) << c.name;
    EXPECT_TRUE(IsWheelFrame("wheel"));
    EXPECT_TRUE(IsWheelFrame("WHEEL"));
    EXPECT_FALSE(IsWheelFrame("wheel2"));
    EXPECT_FALSE(IsWheelFrame("whee"));
}

TEST(VehicleLook, TheWheelStandsAtEveryDummyTheLeftOnesMirrored)
{
    for (const bool stored : {true, false}) {
        const TModelRead r = ReadModelBytes(ClumpBytes(TwoWheeler(stored)));
        ASSERT_EQ(r.SceneError, "");
        const std::vector<TModelPlacement> p = AssembleModel(r);
        ASSERT_EQ(p.size(), 2u);
        ASSERT_EQ(p[0].Copies.size(), 2u);
        EXPECT_TRUE(p[1].Copies.empty());
        EXPECT_EQ(p[0].Copies[0].Frame, 1);
        EXPECT_TRUE(p[0].Copies[0].Mirrored);
        EXPECT_FALSE(p[0].Copies[1].Mirrored);
        // Mirrored in the dummy's x: the first column turned round.
        EXPECT_EQ(std::vector<float>(p[0].Copies[0].World.M, p[0].Copies[0].World.M + 16),
                  (std::vector<float>{-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, 2, 0.3f, 1}));

        const std::vector<TSceneMesh> m = BuildSceneMeshes(r, p, {}, {true, true}, -1, {{1, 2, 3}, {4, 5, 6}});
        ASSERT_EQ(m[0].Vertices.size(), 12u) << stored;  // two triangles at each of two dummies
        for (size_t k = 0; k < 12; ++k) {
            const TMeshVertex& v = m[0].Vertices[k];
            // Left: x = -1 - 0.2 facing -x; right: x = 1 + 0.2 facing +x;
            // never at the wheel's own frame.
            const float side = k < 6 ? -1.f : 1.f;
            EXPECT_NEAR(v.Position.X, side * 1.2f, 1e-6) << k;
            EXPECT_NEAR(std::abs(v.Position.Y - (k < 6 ? 2.f : -2.f)), 0.5f, 1e-6) << k;
            EXPECT_NEAR(std::abs(v.Position.Z - 0.3f), 0.5f, 1e-6) << k;
            EXPECT_EQ(v.Normal.X, side) << k;
            EXPECT_EQ(v.Colour.G, 2 / 255.0f);
            if (k % 3 == 0) {
                // The corners turn counter-clockwise seen from outside.
                const TVec3 n = FlatNormal(v.Position, m[0].Vertices[k + 1].Position, m[0].Vertices[k + 2].Position);
                EXPECT_EQ(n.X, side) << stored << " " << k;
            }
        }
        // The trim colour keeps the material's alpha and blends.
        ASSERT_EQ(m[1].Batches.size(), 1u);
        EXPECT_TRUE(m[1].Batches[0].Blend);
        EXPECT_EQ(m[1].Vertices[0].Colour.B, 6 / 255.0f);
        EXPECT_EQ(m[1].Vertices[0].Colour.A, 200 / 255.0f);
        // Selected: every wheel red; unchecked: none.
        const auto red = BuildSceneMeshes(r, p, {}, {true, true}, 0);
        ASSERT_EQ(red[0].Vertices.size(), 12u);
        EXPECT_EQ(red[0].Vertices[11].Colour.G, 0);
        EXPECT_TRUE(BuildSceneMeshes(r, p, {}, {false, true}, -1)[0].Vertices.empty());
        // The farthest sphere: a wheel's, |(±1, ±2, 0.3)| + 0.5·√2 (the body's
        // reaches 1 + √2).
        EXPECT_NEAR(AssembledRadius(r, p), std::sqrt(1 + 4 + 0.09) + 0.5 * std::sqrt(2.0), 1e-5);
    }
    // Without wheel dummies the wheel stays on its frame.
    TRwClump plain = TwoWheeler(true);
    (*plain.Frames)[1].Name = "wheel_lf";
    (*plain.Frames)[2].Name = "";
    (*plain.Frames)[5].Name = "";
    const TModelRead r = ReadModelBytes(ClumpBytes(plain));
    const std::vector<TModelPlacement> p = AssembleModel(r);
    EXPECT_TRUE(p[0].Copies.empty());
    const auto m = BuildSceneMeshes(r, p, {}, {true, true}, -1);
    ASSERT_EQ(m[0].Vertices.size(), 6u);
    EXPECT_NEAR(m[0].Vertices[0].Position.X, 5.2f, 1e-6);
}

TEST(VehicleLook, GltfPutsAWheelUnderEveryDummy)
{
    const TModelRead r = ReadModelBytes(ClumpBytes(TwoWheeler(true)));
    const std::string glb = GltfBytes(r, AssembleModel(r), {true, true}, {}, "bike", {{255, 0, 0}, {0, 0, 255}});
    const nlohmann::json j = GlbJson(glb);
    const auto& nodes = j["nodes"];
    // Frames 0..5, the root 6, then a wheel under each dummy.
    ASSERT_EQ(nodes.size(), 9u);
    EXPECT_FALSE(nodes[3].contains("mesh"));
    EXPECT_EQ(nodes[1]["children"], nlohmann::json({7}));
    EXPECT_EQ(nodes[2]["children"], nlohmann::json({8}));
    EXPECT_EQ(nodes[7], nlohmann::json({{"name", "wheel"}, {"mesh", 0}, {"scale", {-1, 1, 1}}}));
    EXPECT_EQ(nodes[8], nlohmann::json({{"name", "wheel"}, {"mesh", 0}}));
    EXPECT_EQ(nodes[4]["mesh"], 1);
    // The paint as linear factors: sRGB 255 is 1, 0 is 0.
    const auto& m = j["materials"];
    EXPECT_EQ(m[0]["pbrMetallicRoughness"]["baseColorFactor"], nlohmann::json({1.0, 0.0, 0.0, 1.0}));
    EXPECT_EQ(m[1]["pbrMetallicRoughness"]["baseColorFactor"], nlohmann::json({0.0, 0.0, 1.0, 200 / 255.0}));
    TempDir dir;
    WriteGltfFile(dir.File("bike.glb"), glb);
    EXPECT_EQ(GltfValidatorErrors({dir.File("bike.glb")}), "");
}
