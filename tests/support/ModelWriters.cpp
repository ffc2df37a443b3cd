#include "support/ModelWriters.h"

#include <cstring>

#include "support/ArchiveWriters.h"


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

std::string GeometrySection(const TRwGeometry& g, int64_t sizeOverride)
{
    const std::string materials = RwSection(0x08, RwSection(0x01, LE32(0)));
    const std::string body = RwSection(0x01, GeometryStructBody(g), g.Version) + materials + RwSection(0x03, "");
    return RwSection(0x0F, body, RwVersionSA, sizeOverride);
}

std::string ClumpBytes(const TRwClump& c)
{
    const uint32_t n = c.PartCount.value_or(uint32_t(c.Geometries.size()));
    std::string counts = LE32(n) + LE32(0) + LE32(0);
    counts.resize(c.StructSize, '\0');
    std::string body = RwSection(0x01, counts, c.Version);
    // One frame at the origin.
    std::string frame = LE32(1);
    for (float f : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) frame += F32(f);
    frame += LE32(0xFFFFFFFF) + LE32(0);
    body += RwSection(0x0E, RwSection(0x01, frame, c.Version) + RwSection(0x03, "", c.Version), c.Version);
    std::string list = RwSection(0x01, LE32(uint32_t(c.Geometries.size())), c.Version);
    for (const TRwGeometry& g : c.Geometries) list += GeometrySection(g);
    body += RwSection(0x1A, list, c.Version);
    for (size_t i = 0; i < c.Geometries.size(); ++i)
        body += RwSection(0x14, RwSection(0x01, LE32(0) + LE32(uint32_t(i)) + LE32(5) + LE32(0), c.Version) +
                                    RwSection(0x03, "", c.Version),
                          c.Version);
    body += RwSection(0x03, "", c.Version);
    return RwSection(0x10, body, c.Version);
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
