#include "formats/col/Collision.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <tuple>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

// Where the fields stand from a model's tag.
enum : uint64_t {
    kSizeField = 4,
    kName = 8,
    kModelId = 30,
    kBounds = 32,
    kBody = 72,  // version 1's counted arrays; the counts of versions 2 to 4
    kOffsetsFrom = 4,  // offsets count from here
};
constexpr uint64_t kSphereBytes = 20, kBoxBytes = 28, kFaceGroupBytes = 28;
constexpr uint64_t kV1VertexBytes = 12, kV1FaceBytes = 16, kVertexBytes = 6, kFaceBytes = 8;

// "COLL" is 1, "COL2".."COL4" their digit, anything else 0.
inline uint32_t TagVersion(const uint8_t* p)
{
    const uint32_t tag = LoadLE32(p);
    if ((tag & 0xFFFFFF) != 0x4C4F43) return 0;  // "COL"
    const uint32_t last = tag >> 24;
    if (last == 'L') return 1;
    return last >= '2' && last <= '4' ? last - '0' : 0;
}

TVec3 LoadVec3(const uint8_t* p)
{
    TVec3 v;
    std::memcpy(&v, p, 12);
    return v;
}

static_assert(offsetof(TCollisionModel, ModelId) == kModelId - kName && offsetof(TCollisionModel, Bounds) == kBounds - kName &&
                  sizeof(TCollisionModel::Bounds) == kBody - kBounds,
              "the model's first fields mirror its bytes 8 to 71");

float LoadFloat(const uint8_t* p)
{
    float f;
    std::memcpy(&f, p, 4);
    return f;
}

// Checks one model's fields against its own bytes [m.At, m.End).
class TModelCheck {
public:
    // `m` has its version and position set.
    TModelCheck(TByteSpan bytes, TCollisionModel& m, size_t number)
        : b_(bytes.data()), m_(m), number_(number), first_(m.At + CollisionHeaderSize(m.Version))
    {
    }

    // The messages are made out of line: the checks stay small enough to
    // inline, as they run a dozen times for each of thousands of models.
    [[noreturn, gnu::noinline, gnu::cold]] void Lie(const std::string& what) const
    {
        throw ECollisionError("The collision model \"" + std::string(m_.Name()) + "\" (number " +
                              std::to_string(number_) + ") is damaged: " + what);
    }
    [[noreturn, gnu::noinline, gnu::cold]] void RunsPast(const char* what) const
    {
        Lie(std::string("its ") + what + " run past its end");
    }
    [[noreturn, gnu::noinline, gnu::cold]] void CountsNone(const char* what) const
    {
        Lie(std::string("it counts ") + what + " but has none");
    }

    // `count` items of `size` bytes from `at` lie between the header and the
    // model's end. Counts are at most 32 bits and sizes a few bytes, so the
    // product cannot wrap: no division on a path that runs for every model.
    void Within(uint64_t at, uint64_t count, uint64_t size, const char* what) const
    {
        if (at < first_ || at > m_.End || count * size > m_.End - at) RunsPast(what);
    }

    // An array at an offset of versions 2 to 4; 0 when there is none.
    uint64_t At(uint64_t field, uint64_t count, uint64_t size, const char* what) const
    {
        const uint32_t offset = LoadLE32(b_ + m_.At + field);
        if (count == 0) return 0;
        if (offset == 0) CountsNone(what);
        const uint64_t at = m_.At + kOffsetsFrom + offset;
        Within(at, count, size, what);
        return at;
    }

    // One more than the highest corner that `count` 8-byte faces at `at` name.
    uint32_t VertexCount(uint64_t at, uint64_t count) const
    {
        // A maximum for each corner: three short chains instead of one long
        // one through every corner of every face.
        uint32_t a = 0, b = 0, c = 0;
        for (const uint8_t* f = b_ + at; count > 0; --count, f += kFaceBytes) {
            a = std::max(a, uint32_t(LoadLE16(f)));
            b = std::max(b, uint32_t(LoadLE16(f + 2)));
            c = std::max(c, uint32_t(LoadLE16(f + 4)));
        }
        return std::max({a, b, c}) + 1;
    }

    void ReadVersion1()
    {
        uint64_t at = m_.At + kBody;
        auto count = [&](uint64_t itemSize, const char* what) {
            Within(at, 1, 4, what);
            const uint32_t n = LoadLE32(b_ + at);
            at += 4;
            Within(at, n, itemSize, what);
            const uint64_t first = at;
            at += n * itemSize;
            return std::pair<uint32_t, uint64_t>(n, first);
        };
        std::tie(m_.Spheres, m_.SpheresAt) = count(kSphereBytes, "spheres");
        Within(at, 1, 4, "counts");
        if (LoadLE32(b_ + at) != 0) Lie("its unused count is not 0");
        at += 4;
        std::tie(m_.Boxes, m_.BoxesAt) = count(kBoxBytes, "boxes");
        std::tie(m_.Vertices, m_.VerticesAt) = count(kV1VertexBytes, "vertices");
        std::tie(m_.Faces, m_.FacesAt) = count(kV1FaceBytes, "faces");
        for (uint64_t i = 0; i < m_.Faces; ++i) {
            const uint8_t* f = b_ + m_.FacesAt + i * kV1FaceBytes;
            if (LoadLE32(f) >= m_.Vertices || LoadLE32(f + 4) >= m_.Vertices || LoadLE32(f + 8) >= m_.Vertices)
                Lie("face " + std::to_string(i + 1) + " names a vertex it does not have");
        }
    }

    void ReadLater()
    {
        const uint8_t* h = b_ + m_.At + kBody;
        m_.Spheres = LoadLE16(h);
        m_.Boxes = LoadLE16(h + 2);
        m_.Faces = LoadLE16(h + 4);
        m_.Lines = h[6];
        m_.Flags = LoadLE32(h + 8);
        m_.SpheresAt = At(kBody + 12, m_.Spheres, kSphereBytes, "spheres");
        m_.BoxesAt = At(kBody + 16, m_.Boxes, kBoxBytes, "boxes");
        // Lines are counted but nothing here reads them: only where they start is checked.
        At(kBody + 20, m_.Lines, 1, "lines");
        m_.FacesAt = At(kBody + 28, m_.Faces, kFaceBytes, "faces");
        if (m_.Faces > 0) {
            m_.Vertices = VertexCount(m_.FacesAt, m_.Faces);
            m_.VerticesAt = At(kBody + 24, m_.Vertices, kVertexBytes, "vertices");
        }
        if ((m_.Flags & cfFaceGroups) && m_.Faces > 0) {
            // The group count stands just before the faces, the groups before it.
            Within(m_.FacesAt - std::min<uint64_t>(m_.FacesAt, 4), 1, 4, "face groups");
            m_.FaceGroups = LoadLE32(b_ + m_.FacesAt - 4);
            const uint64_t room = m_.FacesAt - 4 - first_;
            if (uint64_t(m_.FaceGroups) * kFaceGroupBytes > room) Lie("its face groups run past its start");
        }
        if (m_.Version >= 3 && (m_.Flags & cfShadowMesh)) {
            m_.ShadowFaces = LoadLE32(h + 36);
            m_.ShadowFacesAt = At(kBody + 44, m_.ShadowFaces, kFaceBytes, "shadow faces");
            if (m_.ShadowFaces > 0) {
                m_.ShadowVertices = VertexCount(m_.ShadowFacesAt, m_.ShadowFaces);
                m_.ShadowVerticesAt = At(kBody + 40, m_.ShadowVertices, kVertexBytes, "shadow vertices");
            }
        }
    }

private:
    const uint8_t* b_;
    TCollisionModel& m_;
    size_t number_;
    uint64_t first_;  // the model's first byte after its header
};

// Every field 0: copied in as a whole, which compiles to a few wide moves
// where value-initialising the record in place is a slow string store.
constexpr TCollisionModel kNoModel{};

bool AllZero(TByteSpan bytes, uint64_t from)
{
    return std::all_of(bytes.begin() + std::ptrdiff_t(from), bytes.end(), [](uint8_t c) { return c == 0; });
}

}  // namespace

std::string_view TCollisionModel::Name() const
{
    return {RawName, size_t(std::find(RawName, RawName + CollisionNameSize, '\0') - RawName)};
}

uint64_t CollisionHeaderSize(uint32_t version)
{
    switch (version) {
    case 1: return kBody;
    case 2: return kBody + 36;
    case 3: return kBody + 48;
    default: return kBody + 52;
    }
}

bool IsCollisionFile(TByteSpan bytes) { return bytes.size() >= 4 && TagVersion(bytes.data()) != 0; }

void ReadCollisionFile(TByteSpan bytes, std::vector<TCollisionModel>& out)
{
    if (bytes.size() > UINT32_MAX) throw ECollisionError("The collision file is larger than 4 GiB");
    // Room for as many models as the bytes could hold (every model is at
    // least a version 1 header), so the index never moves while it fills and
    // the file is walked once: a first pass to count the models waits on
    // each model's size before it can touch the next.
    out.reserve(out.size() + bytes.size() / kBody + 1);
    const uint8_t* b = bytes.data();
    uint64_t at = 0;
    while (at < bytes.size()) {
        const uint64_t left = bytes.size() - at;
        const uint32_t version = left >= 4 ? TagVersion(b + at) : 0;
        if (version == 0) {
            if (AllZero(bytes, at)) return;
            throw ECollisionError("The collision file is damaged: no model starts at byte " + std::to_string(at));
        }
        // Filled where it stays: a record built aside and copied in costs
        // more than the checks (its small stores cannot forward to the wide
        // loads of the copy). A model that lies is taken out again.
        TCollisionModel& m = out.emplace_back(kNoModel);
        try {
            m.Version = version;
            m.At = uint32_t(at);
            TModelCheck check(bytes, m, out.size());
            if (left < kBody) {
                // Enough of the name for the error, if it is there.
                if (left > kName) std::memcpy(m.RawName, b + at + kName, std::min<uint64_t>(CollisionNameSize, left - kName));
                check.Lie(left < 8 ? "it is cut short" : "its header is cut short");
            }
            std::memcpy(m.RawName, b + at + kName, kBody - kName);
            const uint64_t end = at + 8 + uint64_t(LoadLE32(b + at + kSizeField));
            if (end > bytes.size()) check.Lie("it runs past the end of the file");
            m.End = uint32_t(end);
            if (end - at < CollisionHeaderSize(version)) check.Lie("its header is cut short");
            if (version == 1)
                check.ReadVersion1();
            else
                check.ReadLater();
            at = end;
        } catch (...) {
            out.pop_back();
            throw;
        }
    }
}

namespace {

std::vector<TCollisionFace> DecodeFaces(const uint8_t* p, uint32_t count, uint32_t version)
{
    std::vector<TCollisionFace> faces(count);
    const uint64_t size = version == 1 ? kV1FaceBytes : kFaceBytes;
    for (uint32_t i = 0; i < count; ++i, p += size) {
        TCollisionFace& f = faces[i];
        if (version == 1) {
            f = {LoadLE32(p), LoadLE32(p + 4), LoadLE32(p + 8), p[12], p[15]};
        } else {
            f = {LoadLE16(p), LoadLE16(p + 2), LoadLE16(p + 4), p[6], p[7]};
        }
    }
    return faces;
}

std::vector<TVec3> DecodeVertices(const uint8_t* p, uint32_t count, uint32_t version)
{
    std::vector<TVec3> vertices(count);
    if (count == 0) return vertices;
    if (version == 1) {
        std::memcpy(vertices.data(), p, size_t(count) * kV1VertexBytes);
        return vertices;
    }
    // Fixed point, 1/128 units.
    for (uint32_t i = 0; i < count; ++i, p += kVertexBytes)
        vertices[i] = {float(int16_t(LoadLE16(p))) / 128, float(int16_t(LoadLE16(p + 2))) / 128,
                       float(int16_t(LoadLE16(p + 4))) / 128};
    return vertices;
}

}  // namespace

TCollisionShape DecodeCollisionModel(TByteSpan bytes, const TCollisionModel& m)
{
    if (m.End > bytes.size() || m.At > m.End) throw ECollisionError("The collision model is not in these bytes");
    const uint8_t* b = bytes.data();
    TCollisionShape s;
    s.Spheres.resize(m.Spheres);
    for (uint32_t i = 0; i < m.Spheres; ++i) {
        const uint8_t* p = b + m.SpheresAt + i * kSphereBytes;
        TCollisionSphere& sp = s.Spheres[i];
        if (m.Version == 1) {
            sp = {LoadVec3(p + 4), LoadFloat(p), p[16]};
        } else {
            sp = {LoadVec3(p), LoadFloat(p + 12), p[16]};
        }
    }
    s.Boxes.resize(m.Boxes);
    for (uint32_t i = 0; i < m.Boxes; ++i) {
        const uint8_t* p = b + m.BoxesAt + i * kBoxBytes;
        s.Boxes[i] = {LoadVec3(p), LoadVec3(p + 12), p[24]};
    }
    s.Vertices = DecodeVertices(b + m.VerticesAt, m.Vertices, m.Version);
    s.Faces = DecodeFaces(b + m.FacesAt, m.Faces, m.Version);
    s.ShadowVertices = DecodeVertices(b + m.ShadowVerticesAt, m.ShadowVertices, m.Version);
    s.ShadowFaces = DecodeFaces(b + m.ShadowFacesAt, m.ShadowFaces, m.Version);
    return s;
}

std::string CollisionTotalsText(uint64_t models, uint64_t faces, const TTextWords& words)
{
    return std::to_string(models).append(" ").append(words.Models).append(", ") + std::to_string(faces).append(" ").append(words.Faces);
}

}  // namespace korvane
