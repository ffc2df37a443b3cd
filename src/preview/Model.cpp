#include "preview/Model.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "archive/ByteOrder.h"
#include "archive/Errors.h"
#include "preview/ModelSceneRead.h"
#include "preview/SectionWalk.h"

namespace korvane {

// The arrays are filled straight from the file's little-endian bytes.
static_assert(std::endian::native == std::endian::little, "model reading assumes a little-endian machine");

namespace {

class TStructReader {
public:
    TStructReader(TBufferedReader& reader, uint64_t pos) : reader_(reader), pos_(pos) { reader_.Seek(pos); }
    void Read(void* dst, uint64_t n)
    {
        reader_.Read(dst, size_t(n));
        pos_ += n;
    }
    void Skip(uint64_t n)
    {
        if (n == 0) return;
        pos_ += n;
        reader_.Seek(pos_);
    }
    uint64_t Position() const { return pos_; }

private:
    TBufferedReader& reader_;
    uint64_t pos_;
};

// Reads one geometry struct body from `pos` into `part`; returns the position
// after the last byte read.
uint64_t ReadGeometryStruct(TBufferedReader& reader, uint64_t pos, uint32_t version, uint64_t fileSize,
                            TModelPart& part)
{
    TStructReader in(reader, pos);
    uint8_t head[16];
    in.Read(head, sizeof head);
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
    // Everything the counts ask for must be in the file before anything is
    // sized from them.
    const uint64_t need = (lighting ? 12 : 0) + (prelit ? 4 * V : 0) + sets * 8 * V + 8 * T + 24 + 12 * V +
                          (normals ? 12 * V : 0);
    if (in.Position() > fileSize || need > fileSize - in.Position()) RaiseReadBeyondEof(reader.Path());

    part.Triangles.resize(T);
    part.Positions.resize(V);
    part.Normals.assign(V, TVec3{0, 0, 0});
    part.TexCoords.assign(V, TTexCoord{0, 0});

    if (lighting) in.Skip(12);
    if (prelit) in.Skip(4 * V);
    if (sets > 0) {
        in.Read(part.TexCoords.data(), 8 * V);
        in.Skip((sets - 1) * 8 * V);
    }
    in.Read(part.Triangles.data(), 8 * T);
    uint8_t morph[24];
    in.Read(morph, sizeof morph);
    std::memcpy(&part.Centre, morph, 12);
    std::memcpy(&part.Radius, morph + 12, 4);
    in.Read(part.Positions.data(), 12 * V);
    if (normals) in.Read(part.Normals.data(), 12 * V);
    return in.Position();
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

void ReadModel(TFile& file, TModelRead& out, bool scene)
{
    const uint64_t fileSize = file.Size();
    TSceneRead sceneRead(out, scene);
    TSectionHeader h;
    FindSection(file, rwClump, h);
    const uint64_t clumpEnd = std::min(fileSize, file.Position() + h.Size);
    FindSection(file, rwStruct, h);
    out.ClumpFound = true;

    const uint64_t clumpStruct = file.Position();
    uint8_t raw[4];
    file.ReadExact(raw, sizeof raw);
    const int32_t n = int32_t(LoadLE32(raw));
    if (n < 0) throw ERangeError();
    out.PartCount = n;
    // Libraries up to 3.2 store the part count alone, later ones two more
    // counts: the struct's own size says where it ends.
    file.Seek(std::max(clumpStruct + 4, clumpStruct + h.Size));
    const uint64_t afterStruct = file.Position();

    // The list's own struct (the geometry count) is skipped by the next walk.
    FindSection(file, rwGeometryList, h);
    out.ListStarted = true;
    const uint64_t listBody = file.Position();
    const uint64_t listEnd = std::min(fileSize, listBody + h.Size);
    // The frame list stands between the clump's struct and the geometries.
    sceneRead.Run([&] { ReadFrameList(file, afterStruct, std::min(listBody - 12, clumpEnd), out.Frames); });
    file.Seek(listBody);

    TBufferedReader reader(file);
    for (int32_t i = 0; i < n; ++i) {
        out.RowsAdded = i + 1;
        FindSection(file, rwGeometry, h);
        const uint64_t geometryEnd = file.Position() + h.Size;
        FindSection(file, rwStruct, h);
        TModelPart part;
        const uint64_t structEnd = file.Position() + h.Size;
        const uint64_t dataEnd = ReadGeometryStruct(reader, file.Position(), h.Version, fileSize, part);
        sceneRead.Run([&] { ReadMaterialList(file, structEnd, std::min(geometryEnd, fileSize), part.Materials); });
        out.VertexTotal += int64_t(part.Positions.size());
        out.TriangleTotal += int64_t(part.Triangles.size());
        if (part.Radius > out.LargestRadius) out.LargestRadius = part.Radius;  // NaN never is
        out.Parts.push_back(std::move(part));
        // The next geometry is looked for after this one's material list and
        // extensions. A geometry whose size ends inside the data just read
        // does not send the walk back over it: the walk only moves forward,
        // so a hostile file cannot have its bytes read again and again.
        file.Seek(std::max(geometryEnd, dataEnd));
    }
    // The atomics follow the geometry list inside the clump.
    if (!out.Frames.empty())
        sceneRead.Run([&] { ReadAtomics(file, listEnd, clumpEnd, out.Frames.size(), out.Parts.size(), out.Atomics); });
}

std::string ModelTotalsText(int64_t vertices, int64_t triangles)
{
    return std::to_string(vertices) + " вершин, " + std::to_string(triangles) + " полигонов";
}

}  // namespace korvane
