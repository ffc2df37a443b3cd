// Frames, atomics and materials; the assembled model, its meshes, its
// textures and its glTF file.
#include <gtest/gtest.h>

#include <functional>

#include "formats/dff/GltfExport.h"
#include "formats/dff/ModelTextures.h"
#include "support/DictionaryWriters.h"
#include "support/FileBytes.h"
#include "support/GltfCheck.h"
#include "support/ModelWriters.h"
#include "support/PngRead.h"
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

// Quarter turns as rows right, up, at.
constexpr std::array<float, 9> TurnZ{0, 1, 0, -1, 0, 0, 0, 0, 1};  // x to y
constexpr std::array<float, 9> TurnX{1, 0, 0, 0, 0, 1, 0, -1, 0};  // y to z
constexpr std::array<float, 9> Same{1, 0, 0, 0, 1, 0, 0, 0, 1};

// Three frames deep, two atomics naming frames and geometries out of order;
// geometry 0 has a red half-transparent textured material and an opaque
// untextured one, the second triangle of its quad using the latter.
TRwClump Chain()
{
    TRwClump c;
    TRwGeometry quad = QuadGeometry(1, true);
    quad.Flags |= 0x04;
    quad.TexSets = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
    quad.Triangles[1][2] = 1;
    quad.Materials = {{{255, 0, 0, 128}, "Body", "BodyA"}, {{128, 64, 0, 255}, "", ""}};
    c.Geometries = {quad, QuadGeometry(2, false)};
    c.Frames = {{TurnZ, {1, 0, 0}, -1, "root"}, {TurnX, {0, 2, 0}, 0, "door_lf_ok"}, {Same, {0, 0, 3}, 1, "door_lf_dam"}};
    c.Atomics = {{{2, 1}, {0, 0}}};
    return c;
}

void ExpectXyz(const TVec3& v, float x, float y, float z)
{
    EXPECT_NEAR(v.X, x, 1e-6);
    EXPECT_NEAR(v.Y, y, 1e-6);
    EXPECT_NEAR(v.Z, z, 1e-6);
}

}  // namespace

TEST(ModelScene, FramesPlaceAtomicsByTheirWorldMatrices)
{
    const TModelRead r = ReadModelBytes(ClumpBytes(Chain()));
    ASSERT_EQ(r.SceneError, "");
    ASSERT_EQ(r.Frames.size(), 3u);
    EXPECT_EQ(r.Frames[2].Parent, 1);
    const std::vector<TModelPlacement> p = AssembleModel(r);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].Geometry, 1u);
    EXPECT_EQ(PlacementName(r, p[0]), "door_lf_dam");
    // By hand: (1,0,0) in frame 2 is (1,0,3) in frame 1; there 1·right + 3·at
    // + (0,2,0) = (1,-1,0) in frame 0; there 1·(0,1,0) - 1·(-1,0,0) + (1,0,0).
    ExpectXyz(TransformPoint(p[0].World, {1, 0, 0}), 2, 1, 0);
    ExpectXyz(TransformPoint(p[0].World, {0, 0, 0}), 2, 0, 0);
    ExpectXyz(TransformPoint(p[1].World, {1, 0, 0}), 1, 1, 0);  // (0,1,0) + (1,0,0)
    ExpectXyz(TransformNormal(p[0].World, {0, 0, 1}), 1, 0, 0);  // at of frame 1, (0,-1,0), is -up of frame 0

    const std::vector<TMaterial>& m = r.Parts[0].Materials;
    ASSERT_EQ(m.size(), 2u);
    EXPECT_TRUE(m[0].Textured);
    EXPECT_EQ(m[0].Texture + "/" + m[0].Mask, "Body/BodyA");
    EXPECT_EQ(m[0].Colour[0] + m[0].Colour[3], 255 + 128);
    EXPECT_FALSE(m[1].Textured);
    EXPECT_EQ(m[1].Colour[1], 64);
}

TEST(ModelScene, BrokenFramesOrMaterialsKeepTheGeometryAtTheOrigin)
{
    const struct {
        const char* what;
        std::function<void(TRwClump&)> spoil;
        const char* error;
    } cases[] = {
        {"no frame list", [](TRwClump& c) { c.Frames = std::vector<TRwFrame>{}; }, ""},
        {"no atomics", [](TRwClump& c) { c.Atomics = std::vector<std::array<uint32_t, 2>>{}; }, ""},
        {"frames past the struct", [](TRwClump& c) { c.FrameCount = 0x7FFFFFFF; }, "Read beyond end of file"},
        {"negative frame count", [](TRwClump& c) { c.FrameCount = 0x80000000; }, "Range check error"},
        {"parent outside", [](TRwClump& c) { (*c.Frames)[1].Parent = 3; },
         "Frame 1 names parent 3, which the model does not have"},
        {"parents in a loop", [](TRwClump& c) { (*c.Frames)[0].Parent = 2; }, "The parents of frame 0 form a loop"},
        {"atomic's frame", [](TRwClump& c) { (*c.Atomics)[1] = {3, 0}; },
         "Atomic 1 names frame 3, which the model does not have"},
        {"atomic's geometry", [](TRwClump& c) { (*c.Atomics)[0] = {0, 2}; },
         "Atomic 0 names geometry 2, which the model does not have"},
        {"materials past the list", [](TRwClump& c) { c.Geometries[0].MaterialCount = 0x40000000; },
         "Read beyond end of file"},
        {"a material repeating a later one", [](TRwClump& c) { c.Geometries[0].MaterialRefs = {{1, -1}}; },
         "Material 0 repeats material 1, which does not come before it"},
        {"a material missing", [](TRwClump& c) { c.Geometries[0].MaterialRefs = {{-1, -1, -1}}; },
         "Read beyond end of file"},
    };
    for (const auto& k : cases) {
        TRwClump c = Chain();
        k.spoil(c);
        const TModelRead r = ReadModelBytes(ClumpBytes(c));
        EXPECT_EQ(r.SceneError, k.error) << k.what;
        ASSERT_EQ(r.Parts.size(), 2u) << k.what;
        EXPECT_EQ(r.VertexTotal, 8) << k.what;
        const std::vector<TModelPlacement> p = AssembleModel(r);
        ASSERT_EQ(p.size(), 2u) << k.what;
        EXPECT_EQ(p[1].Geometry, 1u) << k.what;
        EXPECT_TRUE(p[1].World == TMatrix{} && p[1].Frame == -1) << k.what;
        EXPECT_EQ(r.Parts[0].Materials.empty(), *k.error != 0) << k.what;
    }
}

TEST(ModelScene, MeshesGroupTrianglesByMaterial)
{
    const TModelRead r = ReadModelBytes(ClumpBytes(Chain()));
    const std::vector<TModelPlacement> p = AssembleModel(r);
    TModelTextures tex;
    tex.Images = {TModelImage{"Body", 1, 1, true, {1, 2, 3, 4}}};
    tex.ByMaterial = {{0, -1}, {}};
    const auto meshes = BuildSceneMeshes(r, p, tex, {false, true}, -1);
    EXPECT_TRUE(meshes[0].Vertices.empty());  // unchecked
    const TSceneMesh& m = meshes[1];
    ASSERT_EQ(m.Batches.size(), 2u);
    EXPECT_EQ(m.Batches[0].Texture, 0);
    EXPECT_TRUE(m.Batches[0].Blend);
    EXPECT_EQ(m.Batches[1].First, 3u);
    EXPECT_FALSE(m.Batches[1].Blend);
    EXPECT_NEAR(m.Vertices[0].Colour.A, 128 / 255.0, 1e-6);
    EXPECT_NEAR(m.Vertices[3].Colour.G, 64 / 255.0, 1e-6);
    // Corner B of the first triangle, (-1,-1,0), turned by frame 0 to (1,-1,0), moved by (1,0,0).
    ExpectXyz(m.Vertices[0].Position, 2, -1, 0);
    const auto red = BuildSceneMeshes(r, p, tex, {true, true}, 1);
    ASSERT_EQ(red[1].Batches.size(), 1u);
    EXPECT_EQ(red[1].Batches[0].Texture, -1);
    EXPECT_EQ(red[1].Vertices[5].Colour.R + red[1].Vertices[5].Colour.G, 1.0f);
    EXPECT_TRUE(HiddenAtFirst("door_lf_dam") && HiddenAtFirst("CHASSIS_VLO") && !HiddenAtFirst("vlo") &&
                !HiddenAtFirst("door_lf_ok"));
}

TEST(ModelScene, TexturesComeFromTheFirstDictionaryHoldingThem)
{
    TempDir dir;
    // 0xAARRGGBB; DXT3 keeps four bits of alpha, 0x88 as 8, which is 8 × 17.
    WriteBytes(dir.File("a.txd"), DictionaryBytes({Bgra32Texture("body", "", 1, 1, [](unsigned, unsigned) { return 0x80FF2010u; })}));
    WriteBytes(dir.File("b.txd"), DictionaryBytes({Dxt3Texture("BODY", "", 4, 4, [](unsigned, unsigned) { return 0x88FFFFFFu; })}));
    TRwClump c = Chain();
    c.Geometries[1].Materials = {{{1, 2, 3, 4}, "other", ""}, {{1, 2, 3, 4}, "body", ""}};
    const TModelRead r = ReadModelBytes(ClumpBytes(c));
    std::vector<std::exception_ptr> failures;
    const TModelTextures t =
        FindModelTextures(r, {{dir.File("none.txd")}, {dir.File("b.txd")}, {dir.File("a.txd")}}, &failures);
    EXPECT_EQ(failures.size(), 1u);  // none.txd
    ASSERT_EQ(t.Images.size(), 1u);
    EXPECT_EQ(t.ImageOf(0, 0), 0);
    EXPECT_EQ(t.ImageOf(1, 0), -1);
    EXPECT_EQ(t.ImageOf(1, 1), 0);
    EXPECT_EQ(t.Images[0].Bgra[3], 136);
    TFileBytes a(dir.File("a.txd"));
    const std::vector<TTextureInfo> infos = ReadTextureDictionary(a);
    EXPECT_EQ(DecodeImage(a, infos[0]).Bgra, (std::vector<uint8_t>{0x10, 0x20, 0xFF, 0x80}));

    TRecArray entries(3, TArchiveEntry{});
    std::strcpy(entries[1].Name, "CARS\\INFERNUS.TXD");
    std::strcpy(entries[2].Name, "cars\\infernus.txd");
    EXPECT_EQ(CompanionDictionary(entries, "cars\\Infernus.dff"), 1u);
    EXPECT_EQ(CompanionDictionary(entries, "infernus.dff"), std::nullopt);
    EXPECT_EQ(NameStem("a.b\\c"), "a.b\\c");
}

TEST(ModelScene, GltfFileHoldsFramesMeshesAndMaterials)
{
    const TModelRead r = ReadModelBytes(ClumpBytes(Chain()));
    TModelTextures tex;
    tex.Images = {TModelImage{"Body", 2, 1, true, {255, 0, 0, 255, 0, 0, 255, 0}}};
    tex.ByMaterial = {{0, -1}, {}};
    const std::string glb = GltfBytes(r, AssembleModel(r), {true, true}, tex, "car");
    ASSERT_EQ(glb.substr(0, 4), "glTF");
    EXPECT_EQ(uint8_t(glb[8]) | uint8_t(glb[9]) << 8 | uint8_t(glb[10]) << 16, glb.size());
    const nlohmann::json j = GlbJson(glb);
    const auto& nodes = j["nodes"];
    EXPECT_EQ(nodes[0]["matrix"], nlohmann::json({0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(nodes[1]["children"], nlohmann::json({2}));
    EXPECT_EQ(nodes[2]["name"], "door_lf_dam");
    EXPECT_EQ(nodes[3]["name"], "car");
    EXPECT_NEAR(nodes[3]["rotation"][0].get<double>(), -0.70710678, 1e-8);
    EXPECT_EQ(nodes[3]["children"], nlohmann::json({0}));
    // Geometry 1 (flat, one material-less primitive) is mesh 0 on frame 2.
    EXPECT_EQ(nodes[2]["mesh"], 0);
    const auto& quad = j["meshes"][nodes[0]["mesh"].get<size_t>()]["primitives"];
    ASSERT_EQ(quad.size(), 2u);
    EXPECT_EQ(GlbIndices(glb, quad[1]["indices"]), (std::vector<uint32_t>{0, 1, 2}));  // B, A, C of (2, 0, 3)
    EXPECT_EQ(GlbFloats(glb, quad[1]["attributes"]["POSITION"])[3], 1);  // its second corner: quad vertex 2, (1,1,0)
    const auto& m = j["materials"];
    // sRGB 128 and 64 as linear: ((c/255 + 0.055)/1.055)^2.4.
    EXPECT_NEAR(m[1]["pbrMetallicRoughness"]["baseColorFactor"][0].get<double>(), 0.2158605, 1e-6);
    EXPECT_NEAR(m[1]["pbrMetallicRoughness"]["baseColorFactor"][1].get<double>(), 0.0512695, 1e-6);
    EXPECT_NEAR(m[0]["pbrMetallicRoughness"]["baseColorFactor"][3].get<double>(), 128 / 255.0, 1e-9);
    EXPECT_EQ(m[0]["alphaMode"], "BLEND");
    EXPECT_FALSE(m[1].contains("alphaMode"));
    EXPECT_EQ(m[0]["pbrMetallicRoughness"]["baseColorTexture"]["index"], 0);
    EXPECT_EQ(j["images"][0]["mimeType"], "image/png");
    // The embedded picture keeps its alpha: pixels 0xAARRGGBB.
    const TPngPicture png = ReadPng(GlbView(glb, j["images"][0]["bufferView"]));
    EXPECT_EQ(png.Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(png.Pixel(1, 0), 0x00FF0000u);

    TempDir dir;
    WriteGltfFile(dir.File("car.glb"), glb);
    WriteGltfFile(dir.File("none.glb"), GltfBytes(r, AssembleModel(r), {false, false}, tex, "car"));
    TModelRead flat = r;  // without frames: a node "part_N" per part under the root
    flat.Frames.clear();
    const std::string parts = GltfBytes(flat, AssembleModel(flat), {true, true}, tex, "car");
    EXPECT_EQ(GlbJson(parts)["nodes"][2]["name"], "part_2");
    WriteGltfFile(dir.File("parts.glb"), parts);
    EXPECT_EQ(GltfValidatorErrors({dir.File("car.glb"), dir.File("none.glb"), dir.File("parts.glb")}), "");
}

namespace {

// A painted wheel (QuadGeometry turned to face +x at x = 0.2) on a frame far
// off at (5, 5, 5), dummies left front (-1, 2, 0.3) and right back (1, -2,
// 0.3), the left front's name again; a body quad in the trim marker.
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

TEST(VehicleLook, MarkerColoursArePaintedWheelDummiesNamed)
{
    EXPECT_EQ(TVehiclePaint{}, (TVehiclePaint{{200, 200, 200}, {64, 64, 64}}));
    const struct {
        uint8_t in[4], out[4];
    } colours[] = {
        {{60, 255, 0, 255}, {10, 20, 30, 255}},  {{255, 0, 175, 128}, {40, 50, 60, 128}},  // paint, alpha kept
        {{255, 175, 0, 255}, {226, 226, 216, 255}}, {{0, 255, 200, 255}, {226, 226, 216, 255}},  // front lamps
        {{185, 255, 0, 255}, {110, 8, 8, 255}},   {{255, 60, 0, 7}, {110, 8, 8, 7}},  // rear lamps
        {{60, 255, 1, 255}, {60, 255, 1, 255}},   {{61, 255, 0, 255}, {61, 255, 0, 255}},  // one off: kept
    };
    for (const auto& c : colours) {
        uint8_t out[4];
        PaintedColour(c.in, {{10, 20, 30}, {40, 50, 60}}, out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 4), std::vector<uint8_t>(c.out, c.out + 4)) << int(c.in[0]);
    }
    const struct {
        const char* name;
        int side;
    } names[] = {{"wheel_lf_dummy", -1}, {"WHEEL_RB_DUMMY", 1}, {"wheel_lm_dummy", -1}, {"wheel_rm_dummy", 1},
                 {"wheel_xf_dummy", 0},  {"wheel_lx_dummy", 0},  {"wheel_lf_dummy2", 0}, {"wheel_lf_dumm", 0}};
    for (const auto& n : names) EXPECT_EQ(WheelDummySide(n.name), n.side) << n.name;
    EXPECT_TRUE(IsWheelFrame("WHEEL") && !IsWheelFrame("wheel2") && !IsWheelFrame("whee"));
}

TEST(VehicleLook, TheWheelStandsAtEveryDummyTheLeftOnesMirrored)
{
    for (const bool stored : {true, false}) {
        const TModelRead r = ReadModelBytes(ClumpBytes(TwoWheeler(stored)));
        const std::vector<TModelPlacement> p = AssembleModel(r);
        ASSERT_EQ(p.size(), 2u);
        ASSERT_EQ(p[0].Copies.size(), 2u);
        EXPECT_TRUE(p[1].Copies.empty());
        EXPECT_TRUE(p[0].Copies[0].Frame == 1 && p[0].Copies[0].Mirrored && !p[0].Copies[1].Mirrored);
        // Mirrored in the dummy's x: the first column turned round.
        EXPECT_EQ(std::vector<float>(p[0].Copies[0].World.M, p[0].Copies[0].World.M + 16),
                  (std::vector<float>{-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, 2, 0.3f, 1}));

        const std::vector<TSceneMesh> m = BuildSceneMeshes(r, p, {}, {true, true}, -1, {{1, 2, 3}, {4, 5, 6}});
        ASSERT_EQ(m[0].Vertices.size(), 12u) << stored;  // two triangles at each of two dummies
        for (size_t k = 0; k < 12; ++k) {
            // Left: x = -1 - 0.2 facing -x; right: x = 1 + 0.2 facing +x;
            // never at the wheel's own frame; corners counter-clockwise
            // seen from outside.
            const TMeshVertex* v = &m[0].Vertices[k / 3 * 3];
            const float side = k < 6 ? -1.f : 1.f;
            EXPECT_NEAR(v[k % 3].Position.X, side * 1.2f, 1e-6) << k;
            EXPECT_EQ(v[k % 3].Normal.X, side) << k;
            EXPECT_EQ(FlatNormal(v[0].Position, v[1].Position, v[2].Position).X, side) << stored << " " << k;
            EXPECT_EQ(v[k % 3].Colour.G, 2 / 255.0f);
        }
        // The trim colour keeps the material's alpha and blends.
        EXPECT_TRUE(m[1].Batches.at(0).Blend && m[1].Vertices[0].Colour.B == 6 / 255.0f && m[1].Vertices[0].Colour.A == 200 / 255.0f);
        // Selected: every wheel red; unchecked: none.
        EXPECT_EQ(BuildSceneMeshes(r, p, {}, {true, true}, 0)[0].Vertices.at(11).Colour.G, 0);
        EXPECT_TRUE(BuildSceneMeshes(r, p, {}, {false, true}, -1)[0].Vertices.empty());
        // The farthest sphere: a wheel's, |(±1, ±2, 0.3)| + 0.5·√2.
        EXPECT_NEAR(AssembledRadius(r, p), std::sqrt(1 + 4 + 0.09) + 0.5 * std::sqrt(2.0), 1e-5);
    }
    // Without wheel dummies the wheel stays on its frame.
    TRwClump plain = TwoWheeler(true);
    for (size_t f : {1, 2, 5}) (*plain.Frames)[f].Name = "wheel_lf";
    const TModelRead r = ReadModelBytes(ClumpBytes(plain));
    const auto m = BuildSceneMeshes(r, AssembleModel(r), {}, {true, true}, -1);
    ASSERT_EQ(m[0].Vertices.size(), 6u);
    EXPECT_NEAR(m[0].Vertices[0].Position.X, 5.2f, 1e-6);
}
