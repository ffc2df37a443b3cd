// Collision files: every layout written and read back, the real files'
// models worked out by hand from their bytes, and models that lie.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>

#include "base/ByteOrder.h"
#include "base/FileIO.h"
#include "formats/col/CollisionMesh.h"
#include "formats/col/CollisionWriter.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// One of everything: a sphere, a box, two faces over four vertices and, for
// versions 3 and 4, a one-face shadow mesh. As version 3 the model is laid
// out (from its tag): header 0-119, sphere 120, box 140, vertices 168,
// faces 192, shadow vertices 208, shadow faces 226, end 234 (size 226).
TCollisionModelData Sample(uint32_t version, const std::string& name = "sample")
{
    TCollisionModelData m;
    m.Version = version;
    m.Name = name;
    m.ModelId = 1234;
    m.Min = {-1, -2, -3};
    m.Max = {1, 2, 3};
    m.Centre = {0.5f, 0, 0};
    m.Radius = 4;
    m.Shape.Spheres = {{{1, 2, 3}, 0.5f, 7}};
    m.Shape.Boxes = {{{-1, -1, -1}, {1, 1, 1}, 9}};
    m.Shape.Vertices = {{0, 0, 0}, {1.5f, 0, 0}, {0, -2.25f, 0}, {0, 0, 100}};
    m.Shape.Faces = {{0, 1, 2, 3, 200}, {0, 2, 3, 4, 0}};
    m.Shape.ShadowVertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    m.Shape.ShadowFaces = {{0, 1, 2, 5, 0}};
    return m;
}

std::vector<TCollisionModel> Read(const std::string& bytes)
{
    std::vector<TCollisionModel> out;
    ReadCollisionFile(AsBytes(bytes), out);
    return out;
}

std::string ReadError(const std::string& bytes, size_t& kept)
{
    std::vector<TCollisionModel> out;
    try {
        ReadCollisionFile(AsBytes(bytes), out);
    } catch (const ECollisionError& e) {
        kept = out.size();
        return e.what();
    }
    kept = out.size();
    return "no error";
}

void Put32(std::string& s, size_t at, uint32_t v) { StoreLE32(reinterpret_cast<uint8_t*>(s.data() + at), v); }
void Put16(std::string& s, size_t at, uint16_t v) { StoreLE16(reinterpret_cast<uint8_t*>(s.data() + at), v); }

float F(uint32_t bits) { return std::bit_cast<float>(bits); }

}  // namespace

TEST(Collision, EveryVersionReadsBackWhatWasWritten)
{
    for (uint32_t version : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(version);
        const std::string bytes = CollisionModelBytes(Sample(version));
        // Header sizes: 72 + the counted arrays' 20 bytes of counts, 108, 120, 124.
        const uint64_t header[] = {0, 72, 108, 120, 124};
        EXPECT_EQ(CollisionHeaderSize(version), header[version]);
        const auto models = Read(bytes);
        ASSERT_EQ(models.size(), 1u);
        const TCollisionModel& m = models[0];
        EXPECT_EQ(m.Name(), "sample");
        EXPECT_EQ(m.ModelId, 1234);
        EXPECT_EQ(m.End, bytes.size());
        EXPECT_EQ(m.Min().Y, -2);
        EXPECT_EQ(m.Centre().X, 0.5f);
        EXPECT_EQ(m.Max().Z, 3);
        EXPECT_EQ(m.Radius(), 4);
        // Version 2 on count four vertices: one more than the highest corner.
        EXPECT_EQ(m.Vertices, 4u);
        EXPECT_EQ(m.ShadowFaces, version >= 3 ? 1u : 0u);
        const TCollisionShape s = DecodeCollisionModel(AsBytes(bytes), m);
        ASSERT_EQ(s.Spheres.size(), 1u);
        EXPECT_EQ(s.Spheres[0].Centre.Z, 3);
        EXPECT_EQ(s.Spheres[0].Radius, 0.5f);
        EXPECT_EQ(s.Spheres[0].Material, 7);
        EXPECT_EQ(s.Boxes[0].Max.X, 1);
        EXPECT_EQ(s.Boxes[0].Material, 9);
        EXPECT_EQ(s.Vertices[1].X, 1.5f);
        EXPECT_EQ(s.Vertices[2].Y, -2.25f);
        ASSERT_EQ(s.Faces.size(), 2u);
        EXPECT_EQ(s.Faces[0].C, 2u);
        EXPECT_EQ(s.Faces[0].Material, 3);
        EXPECT_EQ(s.Faces[0].Light, 200);
        EXPECT_EQ(s.ShadowVertices.size(), version >= 3 ? 3u : 0u);
    }
    // Version 3 by hand: size 226, the sphere offset 116 (from 4 bytes after
    // the tag), vertex 1's x 1.5 as 192/128, and the shadow face count.
    const std::string v3 = CollisionModelBytes(Sample(3));
    ASSERT_EQ(v3.size(), 234u);
    EXPECT_EQ(v3.substr(0, 4), "COL3");
    EXPECT_EQ(LoadLE32(AsBytes(v3).data() + 4), 226u);
    EXPECT_EQ(LoadLE32(AsBytes(v3).data() + 84), 116u);
    EXPECT_EQ(LoadLE16(AsBytes(v3).data() + 174), 192);
    EXPECT_EQ(LoadLE32(AsBytes(v3).data() + 108), 1u);
    EXPECT_EQ(CollisionModelBytes(Sample(1)).substr(0, 4), "COLL");
}

TEST(Collision, TrailingZerosArePaddingAndOtherBytesAreNoModel)
{
    const std::string two = CollisionModelBytes(Sample(3)) + CollisionModelBytes(Sample(1, "second"));
    EXPECT_EQ(Read(two + std::string(2048, '\0')).size(), 2u);
    size_t kept = 0;
    EXPECT_EQ(ReadError(two + std::string(7, '\0') + "x", kept),
              "The collision file is damaged: no model starts at byte " + std::to_string(two.size()));
    EXPECT_EQ(kept, 2u);
}

// Every limit on both sides, on the version 3 sample laid out above, behind
// a good model that stays listed; the error names the model that lies.
TEST(Collision, AModelThatLiesIsNamedAndTheModelsBeforeItStay)
{
    const std::string good = CollisionModelBytes(Sample(2, "good"));
    struct TCase {
        const char* what;
        std::function<void(std::string&)> patch;
        const char* error;  // nullptr: still read
    };
    const TCase cases[] = {
        {"size to the file's end", [](std::string& m) { Put32(m, 4, 226); }, nullptr},
        {"size past it", [](std::string& m) { Put32(m, 4, 227); }, "it runs past the end of the file"},
        {"size below the header", [](std::string& m) { Put32(m, 4, 111); }, "its header is cut short"},
        {"shadow faces to the end", [](std::string& m) { Put32(m, 108, 1); }, nullptr},
        {"one shadow face more", [](std::string& m) { Put32(m, 108, 2); }, "its shadow faces run past its end"},
        {"spheres past the end", [](std::string& m) { Put16(m, 72, 6); }, "its spheres run past its end"},
        {"boxes inside the header", [](std::string& m) { Put32(m, 88, 100); }, "its boxes run past its end"},
        {"faces counted, none there", [](std::string& m) { Put32(m, 100, 0); }, "it counts faces but has none"},
        // Eleven vertices fill 168..234: corner 10 is the highest there can be.
        {"corner 10", [](std::string& m) { Put16(m, 192, 10); }, nullptr},
        {"corner 11", [](std::string& m) { Put16(m, 192, 11); }, "its vertices run past its end"},
        {"face groups without room", [](std::string& m) { Put32(m, 80, 2 | 8), Put32(m, 188, 3); },
         "its face groups run past its start"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bad = CollisionModelBytes(Sample(3, "liar"));
        c.patch(bad);
        size_t kept = 0;
        const std::string error = ReadError(good + bad, kept);
        if (!c.error) {
            EXPECT_EQ(error, "no error");
            continue;
        }
        EXPECT_EQ(error, std::string("The collision model \"liar\" (number 2) is damaged: ") + c.error);
        EXPECT_EQ(kept, 1u);
    }
}

TEST(Collision, Version1CountsAndCornersAreChecked)
{
    // Version 1 from the tag: spheres count at 72, one sphere, the unused
    // count at 96, boxes at 100, vertices at 132, faces count at 184.
    const std::string v1 = CollisionModelBytes(Sample(1, "old"));
    struct TCase {
        size_t at;
        uint32_t value;
        const char* error;
    } const cases[] = {
        {96, 1, "its unused count is not 0"},
        {132, 13, "its vertices run past its end"},
        {188, 4, "face 1 names a vertex it does not have"},
        {188, 3, nullptr},
        {184, 3, "its faces run past its end"},
    };
    for (const TCase& c : cases) {
        std::string bad = v1;
        Put32(bad, c.at, c.value);
        size_t kept = 0;
        EXPECT_EQ(ReadError(bad, kept),
                  c.error ? std::string("The collision model \"old\" (number 1) is damaged: ") + c.error : "no error")
            << c.at;
    }
}

TEST(Collision, MeshFacesLitByMaterialAndWireframes)
{
    const TCollisionShape s = DecodeCollisionModel(AsBytes(CollisionModelBytes(Sample(3))), Read(CollisionModelBytes(Sample(3)))[0]);
    const TCollisionMesh plain = BuildCollisionMesh(s, false), shadow = BuildCollisionMesh(s, true);
    ASSERT_EQ(plain.Faces.size(), 6u);
    EXPECT_EQ(shadow.Faces.size(), 9u);
    // Face 1: (0,0,0), (1.5,0,0), (0,-2.25,0): its normal points down.
    EXPECT_EQ(plain.Faces[1].Position.X, 1.5f);
    EXPECT_EQ(plain.Faces[0].Normal.Z, -1);
    EXPECT_NE(plain.Faces[0].Colour.G, plain.Faces[3].Colour.G);  // materials 3 and 4
    EXPECT_EQ(shadow.Faces[8].Colour.B, ShadowMeshColour.B);
    // A box's twelve edges and a sphere's three circles, two ends a segment.
    EXPECT_EQ(plain.Lines.size(), 2u * (12 + 3 * SphereSegments));
}

namespace {

std::string RealFile(const char* name)
{
    const std::string root = RealDataDir();
    const std::string path = root + "/col/" + name;
    return root.empty() || !FileExists(path) ? std::string() : ReadBytes(path);
}

}  // namespace

// Worked out from the bytes: the first model's tag at 0, size 252, boxes
// from 0x78; the last's tag at 374308 (0x5B624), size 4916, 322 faces whose
// highest corner is 323, ten face groups before the faces.
TEST(Collision, TheRealFileOf2153Models)
{
    const std::string bytes = RealFile("mta_editor_patches.col");
    if (bytes.empty()) GTEST_SKIP() << "col/mta_editor_patches.col is not there";
    const auto models = Read(bytes);
    ASSERT_EQ(models.size(), 2153u);
    const TCollisionModel &first = models.front(), &last = models.back();
    EXPECT_EQ(first.Name(), "a51_fakealpha1");
    EXPECT_EQ(first.Version, 3u);
    EXPECT_EQ(first.ModelId, 0x3244);
    EXPECT_EQ(first.End, 260u);
    EXPECT_EQ(first.Boxes, 5u);
    EXPECT_EQ(first.Faces + first.Spheres + first.Vertices, 0u);
    EXPECT_EQ(first.Min().X, F(0xC116D742));
    EXPECT_EQ(first.Radius(), F(0x413CD037));
    EXPECT_EQ(last.Name(), "venice03Tr_laW2");
    EXPECT_EQ(last.At, 374308u);
    EXPECT_EQ(last.End, bytes.size());
    EXPECT_EQ(last.Faces, 322u);
    EXPECT_EQ(last.Vertices, 324u);
    EXPECT_EQ(last.FaceGroups, 10u);
    EXPECT_EQ(last.Min().X, F(0xC27E8DD3));
    EXPECT_EQ(last.Radius(), F(0x4288B60C));
}

// One model: vertices from 0x78 to the faces at 0x348 (720 bytes, 120
// vertices), 148 faces, then the shadow mesh's 120 vertices and 148 faces.
TEST(Collision, TheRealSingleModelWithItsShadowMesh)
{
    const std::string bytes = RealFile("mta_stealth_riot_shield.col");
    if (bytes.empty()) GTEST_SKIP() << "col/mta_stealth_riot_shield.col is not there";
    const auto models = Read(bytes);
    ASSERT_EQ(models.size(), 1u);
    const TCollisionModel& m = models[0];
    EXPECT_EQ(m.Name(), "riot_shield");
    EXPECT_EQ(m.Flags, 0x12u);
    EXPECT_EQ(m.VerticesAt, 0x78u);
    EXPECT_EQ(m.Vertices, 120u);
    EXPECT_EQ(m.Faces, 148u);
    EXPECT_EQ(m.ShadowVertices, 120u);
    EXPECT_EQ(m.ShadowFaces, 148u);
    // Vertex 0: (0xFFD4, 0xFFF8, 0x0059) / 128.
    const TCollisionShape s = DecodeCollisionModel(AsBytes(bytes), m);
    EXPECT_EQ(s.Vertices[0].X, -44 / 128.0f);
    EXPECT_EQ(s.Vertices[0].Z, 89 / 128.0f);
}

// Material colours a golden angle (137.508°) of hue apart, saturation 0.6,
// value 0.9 (c = 0.54, m = 0.36, each channel plus m), worked out by hand:
// material 0 at 0°, 3 at 52.524°, 6 at 105.048°, 1 at 137.508°, 4 at
// 190.032°, 2 at 275.016°, 5 at 327.54°: each sixth of the circle.
TEST(Collision, MaterialColoursWalkTheHueCircle)
{
    const struct {
        uint8_t material;
        float r, g, b;
    } cases[] = {
        {0, 0.9f, 0.36f, 0.36f},     // sector 0 at its start: x = 0
        {3, 0.9f, 0.8327f, 0.36f},   // sector 0: r = c, g = x = 0.54 × 0.8754
        {6, 0.4946f, 0.9f, 0.36f},   // sector 1 (105.048°): r = x = 0.54 × 0.2492, g = c
        {1, 0.36f, 0.9f, 0.5176f},   // sector 2: g = c, b = x = 0.54 × 0.2918
        {4, 0.36f, 0.8097f, 0.9f},   // sector 3: g = x = 0.54 × 0.8328, b = c
        {2, 0.6751f, 0.36f, 0.9f},   // sector 4: r = x = 0.54 × 0.5836, b = c
        {5, 0.9f, 0.36f, 0.6521f},   // sector 5: r = c, b = x = 0.54 × 0.541
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.material));
        const TColour got = CollisionMaterialColour(c.material);
        EXPECT_NEAR(got.R, c.r, 1e-3);
        EXPECT_NEAR(got.G, c.g, 1e-3);
        EXPECT_NEAR(got.B, c.b, 1e-3);
        EXPECT_EQ(got.A, 1.0f);
    }
}
