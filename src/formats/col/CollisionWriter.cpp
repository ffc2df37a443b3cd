#include "formats/col/CollisionWriter.h"

#include <cmath>
#include <cstring>

#include "base/ByteOrder.h"

namespace korvane {

namespace {

void AppendVec3(std::string& out, const TVec3& v)
{
    AppendLEFloat(out, v.X);
    AppendLEFloat(out, v.Y);
    AppendLEFloat(out, v.Z);
}

void AppendSurface(std::string& out, uint8_t material, uint8_t light = 0)
{
    out += char(material);
    out += '\0';
    out += '\0';
    out += char(light);
}

void AppendFixed(std::string& out, float f) { AppendLE16(out, uint16_t(int16_t(std::lround(f * 128)))); }

std::string Version1Body(const TCollisionShape& s)
{
    std::string b;
    AppendLE32(b, uint32_t(s.Spheres.size()));
    for (const TCollisionSphere& sp : s.Spheres) {
        AppendLEFloat(b, sp.Radius);
        AppendVec3(b, sp.Centre);
        AppendSurface(b, sp.Material);
    }
    AppendLE32(b, 0);
    AppendLE32(b, uint32_t(s.Boxes.size()));
    for (const TCollisionBox& box : s.Boxes) {
        AppendVec3(b, box.Min);
        AppendVec3(b, box.Max);
        AppendSurface(b, box.Material);
    }
    AppendLE32(b, uint32_t(s.Vertices.size()));
    for (const TVec3& v : s.Vertices) AppendVec3(b, v);
    AppendLE32(b, uint32_t(s.Faces.size()));
    for (const TCollisionFace& f : s.Faces) {
        AppendLE32(b, f.A);
        AppendLE32(b, f.B);
        AppendLE32(b, f.C);
        AppendSurface(b, f.Material, f.Light);
    }
    return b;
}

// The header after the bounds and the arrays, for versions 2 to 4. Offsets
// count from 4 bytes after the tag.
std::string LaterBody(uint32_t version, const TCollisionShape& s)
{
    const bool shadow = version >= 3 && !s.ShadowFaces.empty();
    const uint64_t headerEnd = CollisionHeaderSize(version);
    std::string arrays;
    auto offset = [&](bool present) { return present ? uint32_t(headerEnd + arrays.size() - 4) : 0u; };
    auto faces = [&](const std::vector<TCollisionFace>& list) {
        for (const TCollisionFace& f : list) {
            AppendLE16(arrays, uint16_t(f.A));
            AppendLE16(arrays, uint16_t(f.B));
            AppendLE16(arrays, uint16_t(f.C));
            arrays += char(f.Material);
            arrays += char(f.Light);
        }
    };
    auto vertices = [&](const std::vector<TVec3>& list) {
        for (const TVec3& v : list) AppendFixed(arrays, v.X), AppendFixed(arrays, v.Y), AppendFixed(arrays, v.Z);
    };
    const uint32_t spheresAt = offset(!s.Spheres.empty());
    for (const TCollisionSphere& sp : s.Spheres) {
        AppendVec3(arrays, sp.Centre);
        AppendLEFloat(arrays, sp.Radius);
        AppendSurface(arrays, sp.Material);
    }
    const uint32_t boxesAt = offset(!s.Boxes.empty());
    for (const TCollisionBox& box : s.Boxes) {
        AppendVec3(arrays, box.Min);
        AppendVec3(arrays, box.Max);
        AppendSurface(arrays, box.Material);
    }
    const uint32_t verticesAt = offset(!s.Vertices.empty());
    vertices(s.Vertices);
    const uint32_t facesAt = offset(!s.Faces.empty());
    faces(s.Faces);
    uint32_t shadowVerticesAt = 0, shadowFacesAt = 0;
    if (shadow) {
        shadowVerticesAt = offset(true);
        vertices(s.ShadowVertices);
        shadowFacesAt = offset(true);
        faces(s.ShadowFaces);
    }

    std::string h;
    AppendLE16(h, uint16_t(s.Spheres.size()));
    AppendLE16(h, uint16_t(s.Boxes.size()));
    AppendLE16(h, uint16_t(s.Faces.size()));
    h += '\0';  // lines
    h += '\0';
    AppendLE32(h, (s.Faces.empty() && s.Spheres.empty() && s.Boxes.empty() ? 0u : 2u) | (shadow ? uint32_t(cfShadowMesh) : 0u));
    for (uint32_t o : {spheresAt, boxesAt, 0u, verticesAt, facesAt, 0u}) AppendLE32(h, o);
    if (version >= 3) {
        AppendLE32(h, shadow ? uint32_t(s.ShadowFaces.size()) : 0);
        AppendLE32(h, shadowVerticesAt);
        AppendLE32(h, shadowFacesAt);
    }
    if (version >= 4) AppendLE32(h, 0);
    return h + arrays;
}

}  // namespace

std::string CollisionModelBytes(const TCollisionModelData& m)
{
    std::string head;
    if (m.Version == 1) {
        head = "COLL";
    } else {
        head = "COL";
        head += char('0' + m.Version);
    }
    std::string rest = m.Name.substr(0, CollisionNameSize);
    rest.resize(CollisionNameSize, '\0');
    AppendLE16(rest, m.ModelId);
    if (m.Version == 1) {
        AppendLEFloat(rest, m.Radius);
        AppendVec3(rest, m.Centre);
        AppendVec3(rest, m.Min);
        AppendVec3(rest, m.Max);
        rest += Version1Body(m.Shape);
    } else {
        AppendVec3(rest, m.Min);
        AppendVec3(rest, m.Max);
        AppendVec3(rest, m.Centre);
        AppendLEFloat(rest, m.Radius);
        rest += LaterBody(m.Version, m.Shape);
    }
    AppendLE32(head, uint32_t(rest.size()));
    return head + rest;
}

}  // namespace korvane
