#include "formats/dff/Model.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "formats/dff/ModelSceneRead.h"

namespace korvane {

// The arrays are filled straight from the file's little-endian bytes.
static_assert(std::endian::native == std::endian::little, "model reading assumes a little-endian machine");

namespace {

// Reads one geometry struct body from the cursor's position into `part`;
// the cursor ends after the last byte read.
void ReadGeometryStruct(TSectionCursor& in, uint32_t version, TModelPart& part)
{
    uint8_t head[16];
    in.ReadExact(head, sizeof head);
    part.Flags = uint32_t(head[0]) | uint32_t(head[1]) << 8;
    const uint8_t storedSets = head[2];
    const int32_t t = int32_t(LoadLE32(head + 4));
    const int32_t v = int32_t(LoadLE32(head + 8));
    if (t < 0 || v < 0) throw ERangeError();

    const uint64_t T = uint64_t(t), V = uint64_t(v);
    const bool lighting = HasLightingBlock(version);
    const bool prelit = part.Flags & gfPrelit;
    const bool normals = part.Flags & gfNormals;
    const uint64_t sets = TexCoordSets(part.Flags, storedSets);
    part.TexCoordSets = uint32_t(sets);
    // Everything the counts ask for must be in the bytes before anything is
    // sized from them.
    const uint64_t need = (lighting ? 12 : 0) + (prelit ? 4 * V : 0) + sets * 8 * V + 8 * T + 24 + 12 * V +
                          (normals ? 12 * V : 0);
    if (!in.Holds(in.Position(), need)) in.RaiseShort();

    part.Triangles.resize(T);
    part.Positions.resize(V);
    part.Normals.assign(V, TVec3{0, 0, 0});
    part.TexCoords.assign(V, TTexCoord{0, 0});

    if (lighting) in.Take(12);
    if (prelit) in.Take(4 * V);
    if (sets > 0) {
        in.ReadExact(part.TexCoords.data(), 8 * V);
        in.Take((sets - 1) * 8 * V);
    }
    in.ReadExact(part.Triangles.data(), 8 * T);
    uint8_t morph[24];
    in.ReadExact(morph, sizeof morph);
    std::memcpy(&part.Centre, morph, 12);
    std::memcpy(&part.Radius, morph + 12, 4);
    in.ReadExact(part.Positions.data(), 12 * V);
    if (normals) in.ReadExact(part.Normals.data(), 12 * V);
}

// Reads the frames, atomics and materials beside the geometry. Their failure
// is recorded, not raised: the geometry stands without them.
class TSceneRead {
public:
    TSceneRead(TModelRead& out, bool enabled) : out_(out), enabled_(enabled) {}
    ~TSceneRead()
    {
        if (out_.SceneError.empty()) return;
        out_.Frames.clear();
        out_.Atomics.clear();
        for (TModelPart& p : out_.Parts) p.Materials.clear();
    }
    template <class TRead>
    void Run(TRead read)
    {
        if (!enabled_ || !out_.SceneError.empty()) return;
        try {
            read();
        } catch (const std::runtime_error& e) {
            out_.SceneError = e.what();
        }
    }

private:
    TModelRead& out_;
    bool enabled_;
};

}  // namespace

void ReadModel(TSectionCursor& in, TModelRead& out, bool scene)
{
    const uint64_t size = in.Size();
    TSceneRead sceneRead(out, scene);
    TSectionHeader h = in.Find(rwClump);
    const uint64_t clumpEnd = std::min(size, in.Position() + h.Size);
    h = in.Find(rwStruct);
    out.ClumpFound = true;

    const uint64_t clumpStruct = in.Position();
    const int32_t n = int32_t(in.ReadLE32());
    if (n < 0) throw ERangeError();
    out.PartCount = n;
    // Libraries up to 3.2 store the part count alone, later ones two more
    // counts: the struct's own size says where it ends.
    in.Seek(std::max(clumpStruct + 4, clumpStruct + h.Size));
    const uint64_t afterStruct = in.Position();

    // The list's own struct (the geometry count) is skipped by the next walk.
    h = in.Find(rwGeometryList);
    out.ListStarted = true;
    const uint64_t listBody = in.Position();
    const uint64_t listEnd = std::min(size, listBody + h.Size);
    // The frame list stands between the clump's struct and the geometries.
    sceneRead.Run([&] { ReadFrameList(in, afterStruct, std::min(listBody - SectionHeaderSize, clumpEnd), out.Frames); });

    for (int32_t i = 0; i < n; ++i) {
        out.RowsAdded = i + 1;
        h = in.Find(rwGeometry);
        const uint64_t geometryEnd = in.Position() + h.Size;
        h = in.Find(rwStruct);
        TModelPart part;
        const uint64_t structEnd = in.Position() + h.Size;
        ReadGeometryStruct(in, h.Version, part);
        const uint64_t dataEnd = in.Position();
        sceneRead.Run([&] { ReadMaterialList(in, structEnd, std::min(geometryEnd, size), part.Materials); });
        out.VertexTotal += int64_t(part.Positions.size());
        out.TriangleTotal += int64_t(part.Triangles.size());
        if (part.Radius > out.LargestRadius) out.LargestRadius = part.Radius;  // NaN never is
        out.Parts.push_back(std::move(part));
        // The next geometry is looked for after this one's material list and
        // extensions. A geometry whose size ends inside the data just read
        // does not send the walk back over it: the walk only moves forward,
        // so a hostile file cannot have its bytes read again and again.
        in.Seek(std::max(geometryEnd, dataEnd));
    }
    // The atomics follow the geometry list inside the clump.
    if (!out.Frames.empty())
        sceneRead.Run([&] { ReadAtomics(in, listEnd, clumpEnd, out.Frames.size(), out.Parts.size(), out.Atomics); });
}

std::string ModelTotalsText(int64_t vertices, int64_t triangles, const TTextWords& words)
{
    return std::to_string(vertices).append(" ").append(words.Vertices).append(", ") + std::to_string(triangles).append(" ").append(words.Polygons);
}

std::string PartCaption(uint64_t n, const TTextWords& words)
{
    return std::string("< ").append(words.Part).append(" #") + std::to_string(n) + " >";
}

}  // namespace korvane
