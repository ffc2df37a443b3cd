// Model reading, mesh building and the camera maths.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <unistd.h>

#include "base/Errors.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelCamera.h"
#include "formats/dff/ModelMesh.h"
#include "support/ArchiveWriters.h"
#include "support/FileBytes.h"
#include "support/ModelWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// Reads `bytes` (placed after `lead` bytes of something else) as a model; the
// error message, if any, goes to `error`.
TModelRead Read(const std::string& bytes, std::string* error = nullptr, size_t lead = 0)
{
    TempDir dir;
    WriteBytes(dir.File("m.dff"), std::string(lead, '\x55') + bytes);
    TFileBytes f(dir.File("m.dff"));
    f.Seek(lead);
    TModelRead r;
    try {
        ReadModel(f, r);
        if (error) *error = "";
    } catch (const std::exception& e) {
        if (!error) ADD_FAILURE() << "unexpected failure: " << e.what();
        else *error = e.what();
    }
    return r;
}

TRwGeometry Sample(uint16_t flags)
{
    TRwGeometry g;
    g.Flags = flags;
    g.Positions = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    g.Triangles = {{0, 1, 7, 2}};
    g.Centre = {0.5f, 0.25f, 0.125f};
    g.Radius = 3.5f;
    if (flags & 0x10) g.Normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    return g;
}

std::vector<TUv> Uvs(float base) { return {{base, base + 1}, {base + 2, base + 3}, {base + 4, base + 5}}; }

void ExpectSampleGeometry(const TModelPart& p)
{
    ASSERT_EQ(p.Positions.size(), 3u);
    EXPECT_EQ(p.Positions[2].X, 7);
    EXPECT_EQ(p.Positions[2].Z, 9);
    ASSERT_EQ(p.Triangles.size(), 1u);
    EXPECT_EQ(p.Triangles[0].A, 0);
    EXPECT_EQ(p.Triangles[0].B, 1);
    EXPECT_EQ(p.Triangles[0].Material, 7);
    EXPECT_EQ(p.Triangles[0].C, 2);
    EXPECT_EQ(p.Radius, 3.5f);
}

}  // namespace

TEST(ModelRead, OneGeometryGivesOnePartWithItsArrays)
{
    TRwGeometry g = Sample(0x10 | 0x04);
    g.TexSets = {Uvs(10)};
    std::string error;
    const TModelRead r = Read(ModelBytes({g}), &error, 100);
    EXPECT_EQ(error, "");
    EXPECT_EQ(r.PartCount, 1);
    EXPECT_EQ(r.RowsAdded, 1);
    ASSERT_EQ(r.Parts.size(), 1u);
    const TModelPart& p = r.Parts[0];
    EXPECT_EQ(p.Flags, 0x14u);
    ExpectSampleGeometry(p);
    EXPECT_EQ(p.Normals[1].Y, 1);
    EXPECT_EQ(p.TexCoords[2].U, 14);
    EXPECT_EQ(p.TexCoords[2].V, 15);
    EXPECT_EQ(p.Centre.Y, 0.25f);
    EXPECT_EQ(r.VertexTotal, 3);
    EXPECT_EQ(r.TriangleTotal, 1);
    EXPECT_EQ(r.LargestRadius, 3.5f);
    EXPECT_EQ(ModelTotalsText(r.VertexTotal, r.TriangleTotal), "3 вершин, 1 полигонов");
}

TEST(ModelRead, LightingBlockFollowsTheStructsVersionStamp)
{
    // Present before library 3.4 (upper 16 bits below 0x1000), absent from it on.
    const struct {
        uint32_t version;
        bool lighting;
    } cases[] = {{0x1803FFFF, false}, {0x1003FFFF, false}, {0x1800FFFF, false}, {0x1801FFFF, false},
                 {0x0C02FFFF, true},  {0x0800FFFF, true},  {0x00000310, true}};
    for (const auto& c : cases) {
        TRwGeometry g = Sample(0);
        g.Version = c.version;
        g.Lighting = c.lighting;
        const TModelRead r = Read(ModelBytes({g}));
        ASSERT_EQ(r.Parts.size(), 1u) << std::hex << c.version;
        ExpectSampleGeometry(r.Parts[0]);
        EXPECT_EQ(HasLightingBlock(c.version), c.lighting) << std::hex << c.version;
    }
}

TEST(ModelRead, TextureCoordinateSetsPrelitColoursAndNormals)
{
    // 0x04: one set read. 0x80: two sets, the first kept. Both flags and byte 2
    // saying 2: two sets (not three). Byte 2 wins over the flags.
    const struct {
        uint16_t flags;
        uint8_t stored;
        int sets;
    } cases[] = {{0x04, 0, 1}, {0x04, 1, 1}, {0x80, 0, 2}, {0x84, 2, 2}, {0x84, 0, 2}, {0x04, 3, 3}, {0x00, 0, 0}};
    for (const auto& c : cases) {
        TRwGeometry g = Sample(c.flags | 0x08 | 0x10);
        g.StoredTexSets = c.stored;
        g.Prelit = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
        for (int s = 0; s < c.sets; ++s) g.TexSets.push_back(Uvs(float(10 * (s + 1))));
        const TModelRead r = Read(ModelBytes({g}));
        ASSERT_EQ(r.Parts.size(), 1u) << c.flags << " " << int(c.stored);
        ExpectSampleGeometry(r.Parts[0]);
        EXPECT_EQ(r.Parts[0].Normals[2].X, 1);
        EXPECT_EQ(r.Parts[0].TexCoords[1].U, c.sets ? 12 : 0) << c.flags << " " << int(c.stored);
        EXPECT_EQ(TexCoordSets(c.flags, c.stored), uint32_t(c.sets));
    }
    // Without 0x10 the normals stay zero.
    const TModelRead r = Read(ModelBytes({Sample(0)}));
    EXPECT_EQ(r.Parts[0].Normals[0].Z, 0);
    EXPECT_EQ(r.Parts[0].TexCoords[0].U, 0);
}

TEST(ModelRead, ClumpStructOfFourOrTwelveBytes)
{
    for (uint32_t size : {12u, 4u, 16u}) {
        TRwClump c;
        c.Geometries = {Sample(0), Sample(0x10)};
        c.StructSize = size;
        const TModelRead r = Read(ClumpBytes(c));
        ASSERT_EQ(r.Parts.size(), 2u) << size;
        ExpectSampleGeometry(r.Parts[1]);
    }
}

TEST(ModelRead, TotalsAndLargestRadiusOverParts)
{
    TRwClump c;
    for (float radius : {2.f, NAN, 7.f, 7.f, -1.f, 0.f}) {
        TRwGeometry g = Sample(0);
        g.Radius = radius;
        c.Geometries.push_back(g);
    }
    c.Geometries[1].Positions.push_back({0, 0, 0});
    const TModelRead r = Read(ClumpBytes(c));
    EXPECT_EQ(r.Parts.size(), 6u);
    EXPECT_EQ(r.VertexTotal, 19);
    EXPECT_EQ(r.TriangleTotal, 6);
    EXPECT_EQ(r.LargestRadius, 7.f);
    EXPECT_TRUE(std::isnan(r.Parts[1].Radius));

    // No parts, or only negative, zero and NaN radii: 0.
    EXPECT_EQ(Read(ModelBytes({})).LargestRadius, 0.f);
    TRwGeometry neg = Sample(0);
    neg.Radius = -3;
    TRwGeometry nan = Sample(0);
    nan.Radius = NAN;
    EXPECT_EQ(Read(ModelBytes({neg, nan})).LargestRadius, 0.f);
}

TEST(ModelRead, FailuresKeepWhatWasReadBefore)
{
    std::string error;
    // Not a model: no clump before the end of the file.
    TModelRead r = Read(std::string(100, '\0'), &error);
    EXPECT_EQ(error, "Read beyond end of file");
    EXPECT_FALSE(r.ClumpFound);

    // Negative part count.
    TRwClump neg;
    neg.Geometries = {Sample(0)};
    neg.PartCount = 0xFFFFFFFF;
    r = Read(ClumpBytes(neg), &error);
    EXPECT_EQ(error, "Range check error");
    EXPECT_TRUE(r.ClumpFound);
    EXPECT_FALSE(r.ListStarted);

    // More parts than geometries: the rows run one past the parts read.
    TRwClump more;
    more.Geometries = {Sample(0), Sample(0)};
    more.PartCount = 3;
    r = Read(ClumpBytes(more), &error);
    EXPECT_EQ(error, "Read beyond end of file");
    EXPECT_TRUE(r.ListStarted);
    EXPECT_EQ(r.RowsAdded, 3);
    EXPECT_EQ(r.Parts.size(), 2u);

    // A count of 0 is an empty model.
    TRwClump none;
    none.Geometries = {Sample(0)};
    none.PartCount = 0;
    r = Read(ClumpBytes(none), &error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(r.RowsAdded, 0);

    // The second geometry cut short.
    const std::string whole = ModelBytes({Sample(0x10), Sample(0x10)});
    const std::string second = GeometrySection(Sample(0x10));
    const size_t at = whole.rfind(second);
    ASSERT_NE(at, std::string::npos);
    r = Read(whole.substr(0, at + second.size() - 60), &error);
    EXPECT_EQ(error, "Read beyond end of file");
    EXPECT_EQ(r.RowsAdded, 2);
    EXPECT_EQ(r.Parts.size(), 1u);
}

TEST(ModelRead, HostileCountsFailBeforeAnythingIsSized)
{
    std::string error;
    for (uint32_t t : {0x7FFFFFFFu, 100000u, 0xFFFFFFFFu, 0x80000000u}) {
        TRwGeometry g = Sample(0x10);
        g.TriangleCount = t;
        const TModelRead r = Read(ModelBytes({g}), &error);
        EXPECT_EQ(error, t > 0x7FFFFFFF ? "Range check error" : "Read beyond end of file") << t;
        EXPECT_TRUE(r.Parts.empty());
    }
    for (uint32_t v : {0x7FFFFFFFu, 0x40000000u, 0xFFFFFFFFu}) {
        TRwGeometry g = Sample(0x10 | 0x80 | 0x08);
        g.StoredTexSets = 255;
        g.VertexCount = v;
        Read(ModelBytes({g}), &error);
        EXPECT_EQ(error, v > 0x7FFFFFFF ? "Range check error" : "Read beyond end of file") << v;
    }
    // The lowest counts are no error: a part with nothing to draw.
    TRwGeometry empty;
    const TModelRead r = Read(ModelBytes({empty}), &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(r.Parts.size(), 1u);
    EXPECT_TRUE(r.Parts[0].Positions.empty() && r.Parts[0].Triangles.empty());
}

TEST(ModelRead, AGeometryTooSmallForItsOwnDataDoesNotSendTheWalkBack)
{
    // Every geometry claims a size of 0, so its end lies before its struct; a
    // walk sent back there would read the one struct once per part.
    std::string list = RwSection(rwStruct, LE32(1000));
    for (int i = 0; i < 1000; ++i) list += RwSection(rwGeometry, "", RwVersionSA, 0);
    list += RwSection(rwStruct, GeometryStructBody(Sample(0)));
    const std::string clump = RwSection(rwClump, RwSection(rwStruct, LE32(1000) + LE32(0) + LE32(0)) + RwSection(rwGeometryList, list));
    std::string error;
    const TModelRead r = Read(clump, &error);
    EXPECT_EQ(error, "Read beyond end of file");
    EXPECT_EQ(r.Parts.size(), 1u);
    EXPECT_EQ(r.RowsAdded, 2);
}

TEST(ModelMesh, VerticesBACInOrderWithColoursAndFlatNormals)
{
    TModelPart p;
    p.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}};
    p.Normals = {{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}};
    p.TexCoords = {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}, {0, 0}};
    // The second, fourth and fifth have C, A and B past V (4); corner 3 is in.
    p.Triangles = {{0, 1, 3, 2}, {0, 1, 0, 4}, {3, 3, 0, 3}, {4, 1, 0, 2}, {0, 0xFFFF, 0, 2}};
    std::vector<TMeshVertex> m;
    AppendPartMesh(p, PartColour, m);
    ASSERT_EQ(m.size(), 6u);
    // B, A, C = (1,0,0), (0,0,0), (0,1,0): counter-clockwise seen from -Z.
    EXPECT_EQ(m[0].Position.X, 1);
    EXPECT_EQ(m[1].Position.X, 0);
    EXPECT_EQ(m[2].Position.Y, 1);
    EXPECT_EQ(m[0].TexCoord.U, 0.3f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(m[k].Normal.X, 0);
        EXPECT_EQ(m[k].Normal.Y, 0);
        EXPECT_EQ(m[k].Normal.Z, -1);
        EXPECT_EQ(m[k].Colour.R, 0.752941f);
        EXPECT_EQ(m[k].Colour.B, 0.752941f);
        EXPECT_EQ(m[k].Colour.A, 1);
    }
    // Degenerate: zero normal, never NaN.
    EXPECT_EQ(m[3].Normal.X, 0);
    EXPECT_EQ(m[3].Normal.Z, 0);

    p.Flags = 0x10;
    m.clear();
    AppendPartMesh(p, SelectedPartColour, m);
    EXPECT_EQ(m[0].Normal.X, 8);  // stored normals as they are
    EXPECT_EQ(m[1].Normal.X, 9);
    EXPECT_EQ(m[2].Colour.R, 1);
    EXPECT_EQ(m[2].Colour.G, 0);
}

TEST(ModelMesh, CheckedSelectedAndMeshlessParts)
{
    TModelPart p;
    p.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    p.Normals.resize(3);
    p.TexCoords.resize(3);
    p.Triangles = {{0, 1, 0, 2}};
    const std::vector<TModelPart> parts(4, p);
    const auto meshes = BuildModelMeshes(parts, 3, {true, true, false, true}, 1);
    ASSERT_EQ(meshes.size(), 3u);  // part 3 has no mesh
    EXPECT_EQ(meshes[0][0].Colour.G, 0.752941f);
    EXPECT_EQ(meshes[1][0].Colour.G, 0);
    EXPECT_TRUE(meshes[2].empty());
    // Nothing selected: all grey.
    for (const auto& mesh : BuildModelMeshes(parts, 4, {true, true, true, true}, -1))
        EXPECT_EQ(mesh[2].Colour.R, 0.752941f);
}

TEST(ModelCamera, FitKeepsTheDirectionAndRefusesARadiusOfZero)
{
    const TCameraPos p = FitCamera(InitialCameraPos, 2.5f);
    EXPECT_NEAR(CameraDistance(p), 25, 1e-9);
    EXPECT_NEAR(p.X / p.Y, 2, 1e-12);
    for (float r : {0.f, -1.f, NAN, INFINITY, 1e38f}) {
        const TCameraPos q = FitCamera(p, r);
        EXPECT_EQ(q.X, p.X) << r;
        EXPECT_EQ(q.Z, p.Z) << r;
    }
}

TEST(ModelCamera, OrbitClampsThePolarAngleAndTurnsByDegrees)
{
    const double d0 = CameraDistance(InitialCameraPos);
    TCameraPos p = InitialCameraPos;
    for (int i = 0; i < 50; ++i) p = OrbitCamera(p, 0, 20);  // upward drags lower the camera
    EXPECT_NEAR(std::acos(p.Z / CameraDistance(p)), std::numbers::pi - PoleMargin, 1e-9);
    EXPECT_NEAR(CameraDistance(p), d0, 1e-9);
    p = OrbitCamera(p, 0, 10000);
    EXPECT_NEAR(std::acos(p.Z / CameraDistance(p)), std::numbers::pi - PoleMargin, 1e-9);
    for (int i = 0; i < 50; ++i) p = OrbitCamera(p, 0, -20);
    EXPECT_NEAR(std::acos(p.Z / CameraDistance(p)), PoleMargin, 1e-9);
    EXPECT_GT(p.Z, 0);

    // One pixel is one degree; dx > 0 turns counter-clockwise seen from above.
    const TCameraPos q = OrbitCamera({10, 0, 0}, 90, 0);
    EXPECT_NEAR(q.X, 0, 1e-9);
    EXPECT_NEAR(q.Y, 10, 1e-9);
    EXPECT_NEAR(q.Z, 0, 1e-9);
    const TCameraPos down = OrbitCamera({10, 0, 0}, 0, 45);
    EXPECT_NEAR(down.X, 10 * std::cos(std::numbers::pi / 4), 1e-9);
    EXPECT_NEAR(down.Z, -10 * std::sin(std::numbers::pi / 4), 1e-9);
    // Straight above, the right axis falls back to +X.
    const TCameraPos pole = OrbitCamera({0, 0, 5}, 0, 0);
    EXPECT_NEAR(pole.Y, -5 * std::sin(PoleMargin), 1e-9);
}

TEST(ModelCamera, ZoomByHalfPowersOfOnePointOne)
{
    const TCameraPos p = ZoomCamera(InitialCameraPos, 20);
    EXPECT_NEAR(CameraDistance(p) / CameraDistance(InitialCameraPos), std::pow(1.1, 10), 1e-12);
    const TCameraPos q = ZoomCamera(p, -20);
    EXPECT_NEAR(q.X, 60, 1e-9);
    // The camera never reaches the target, however far it is pulled in.
    TCameraPos z = InitialCameraPos;
    for (int i = 0; i < 100; ++i) z = ZoomCamera(z, -1000);
    EXPECT_GT(CameraDistance(z), 0);
    EXPECT_NEAR(z.X / z.Z, 3, 1e-9);
}

TEST(ModelCamera, FrustumOfTheView)
{
    const TFrustum f = ViewFrustum(400, 200);
    EXPECT_NEAR(f.Near, 100.0 * 2 * 96 / (25.4 * 400) * 0.01, 1e-15);
    EXPECT_NEAR(f.Far, f.Near + 10000, 1e-9);
    EXPECT_NEAR(f.Right, 0.005, 1e-15);
    EXPECT_NEAR(f.Top, 0.0025, 1e-15);
    EXPECT_EQ(f.Left, -f.Right);
    // tan of the half-angle across S pixels is S / 1511.8.
    EXPECT_NEAR(f.Top / f.Near, 200 / 1511.811, 1e-6);
}
