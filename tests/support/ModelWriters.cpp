#include "support/ModelWriters.h"

#include <cstring>

#include "support/ArchiveWriters.h"

using namespace korvane;


std::string GeometryStructBody(const TRwGeometry& g)
{
    std::string b = LE16(g.Flags);
    b += char(g.StoredTexSets);
    b += char(g.NativeFlags);
    b += LE32(g.TriangleCount.value_or(uint32_t(g.Triangles.size())));
    b += LE32(g.VertexCount.value_or(uint32_t(g.Positions.size())));
    b += LE32(uint32_t(g.MorphTargets));
    if (g.Lighting) b += F32(1) + F32(1) + F32(1);
    for (uint32_t c : g.Prelit) b += LE32(c);
    for (const auto& set : g.TexSets)
        for (const TUv& uv : set) b += F32(uv[0]) + F32(uv[1]);
    for (const TTri& t : g.Triangles) b += LE16(t[0]) + LE16(t[1]) + LE16(t[2]) + LE16(t[3]);
    b += F32(g.Centre[0]) + F32(g.Centre[1]) + F32(g.Centre[2]) + F32(g.Radius);
    b += LE32(1) + LE32(g.Normals.empty() ? 0 : 1);
    for (const TXyz& p : g.Positions) b += F32(p[0]) + F32(p[1]) + F32(p[2]);
    for (const TXyz& n : g.Normals) b += F32(n[0]) + F32(n[1]) + F32(n[2]);
    return b + g.Tail;
}

std::string MaterialSection(const TRwMaterial& m)
{
    std::string body = LE32(0) + std::string(m.Colour.begin(), m.Colour.end()) + LE32(0) +
                       LE32(m.Texture.empty() ? 0 : 1) + F32(1) + F32(1) + F32(1);
    std::string s = RwSection(rwStruct, body);
    if (!m.Texture.empty())
        s += RwSection(rwTexture, RwSection(rwStruct, LE32(0x1106)) + RwSection(rwString, m.Texture + '\0') +
                                 RwSection(rwString, m.Mask + '\0') + RwSection(rwExtension, ""));
    return RwSection(rwMaterial, s + RwSection(rwExtension, ""));
}

std::string GeometrySection(const TRwGeometry& g, int64_t sizeOverride)
{
    const std::vector<int32_t> refs = g.MaterialRefs.value_or(std::vector<int32_t>(g.Materials.size(), -1));
    std::string list = LE32(g.MaterialCount.value_or(uint32_t(refs.size())));
    for (int32_t r : refs) list += LE32(uint32_t(r));
    list = RwSection(rwStruct, list);
    for (const TRwMaterial& m : g.Materials) list += MaterialSection(m);
    const std::string materials = RwSection(rwMaterialList, list);
    const std::string body = RwSection(rwStruct, GeometryStructBody(g), g.Version) + materials + RwSection(rwExtension, "");
    return RwSection(rwGeometry, body, RwVersionSA, sizeOverride);
}

std::string ClumpBytes(const TRwClump& c)
{
    const uint32_t n = c.PartCount.value_or(uint32_t(c.Geometries.size()));
    std::string counts = LE32(n) + LE32(0) + LE32(0);
    counts.resize(c.StructSize, '\0');
    std::string body = RwSection(rwStruct, counts, c.Version);
    const std::vector<TRwFrame> frames = c.Frames.value_or(std::vector<TRwFrame>(1));
    if (!frames.empty()) {
        std::string list = LE32(c.FrameCount.value_or(uint32_t(frames.size())));
        std::string names;
        for (const TRwFrame& f : frames) {
            for (float v : f.Rotation) list += F32(v);
            list += F32(f.Position[0]) + F32(f.Position[1]) + F32(f.Position[2]) + LE32(uint32_t(f.Parent)) + LE32(0);
            names += RwSection(rwExtension, f.Name.empty() ? "" : RwSection(rwFrameName, f.Name, c.Version), c.Version);
        }
        body += RwSection(rwFrameList, RwSection(rwStruct, list, c.Version) + names, c.Version);
    }
    std::string list = RwSection(rwStruct, LE32(uint32_t(c.Geometries.size())), c.Version);
    for (const TRwGeometry& g : c.Geometries) list += GeometrySection(g);
    body += RwSection(rwGeometryList, list, c.Version);
    std::vector<std::array<uint32_t, 2>> atomics;
    for (uint32_t i = 0; i < c.Geometries.size(); ++i) atomics.push_back({0, i});
    for (const auto& [frame, geometry] : c.Atomics.value_or(atomics))
        body += RwSection(rwAtomic, RwSection(rwStruct, LE32(frame) + LE32(geometry) + LE32(5) + LE32(0), c.Version) +
                                    RwSection(rwExtension, "", c.Version),
                          c.Version);
    body += RwSection(rwExtension, "", c.Version);
    return RwSection(rwClump, body, c.Version);
}

std::string ModelBytes(const std::vector<TRwGeometry>& geometries)
{
    TRwClump c;
    c.Geometries = geometries;
    return ClumpBytes(c);
}

TRwGeometry QuadGeometry(float s, bool withNormals)
{
    TRwGeometry g;
    g.Flags = withNormals ? 0x10 : 0;
    g.Positions = {{-s, -s, 0}, {s, -s, 0}, {s, s, 0}, {-s, s, 0}};
    if (withNormals) g.Normals.assign(4, TXyz{0, 0, 1});
    // Drawn as B, A, C: (0, 1, 2) and (0, 2, 3), counter-clockwise from +Z.
    g.Triangles = {{1, 0, 0, 2}, {2, 0, 0, 3}};
    g.Radius = s * 1.4142135f;
    return g;
}

std::string QuadsInARow(const std::vector<TRwMaterial>& materials)
{
    TRwGeometry g;
    g.Flags = 0x10 | 0x04;
    for (uint16_t q = 0, b = 0; q < 4; ++q, b += 4) {
        const float x = -6.f + 4.f * q;
        g.Positions.insert(g.Positions.end(), {{x - 1, -1, 0}, {x + 1, -1, 0}, {x + 1, 1, 0}, {x - 1, 1, 0}});
        g.Triangles.insert(g.Triangles.end(), {{uint16_t(b + 1), b, q, uint16_t(b + 2)}, {uint16_t(b + 2), b, q, uint16_t(b + 3)}});
    }
    g.Normals.assign(16, {0, 0, 1});
    g.TexSets = {std::vector<TUv>(16, TUv{0.5f, 0.5f})};
    g.Radius = 8;
    g.Materials = materials;
    return ModelBytes({g});
}
