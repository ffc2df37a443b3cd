// RenderWare models (".dff") built byte by byte for tests and demo archives.
// Every byte a geometry struct holds is stated by the caller: the writer
// decides nothing a reader's rules depend on.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/ArchiveWriters.h"

using TXyz = std::array<float, 3>;
using TUv = std::array<float, 2>;
using TTri = std::array<uint16_t, 4>;  // A, B, material, C



struct TRwGeometry {
    uint16_t Flags = 0;
    uint8_t StoredTexSets = 0;  // byte 2 of the struct as stored
    uint8_t NativeFlags = 0;
    uint32_t Version = RwVersionSA;  // stamp of the struct's header
    bool Lighting = false;           // write the 12-byte lighting block
    std::vector<uint32_t> Prelit;    // 4 bytes per vertex, written when not empty
    std::vector<std::vector<TUv>> TexSets;  // written one set after another
    std::vector<TTri> Triangles;
    TXyz Centre{0, 0, 0};
    float Radius = 1;
    std::vector<TXyz> Positions;
    std::vector<TXyz> Normals;  // written when not empty
    std::optional<uint32_t> TriangleCount;  // stored counts; none: the vectors' sizes
    std::optional<uint32_t> VertexCount;
    int32_t MorphTargets = 1;
    std::string Tail;  // bytes appended to the struct body
};

std::string GeometryStructBody(const TRwGeometry& g);
// Geometry section: its struct, an empty material list and an extension.
std::string GeometrySection(const TRwGeometry& g, int64_t sizeOverride = -1);

struct TRwClump {
    std::vector<TRwGeometry> Geometries;
    std::optional<uint32_t> PartCount;  // the clump struct's first count; none: the geometries'
    uint32_t StructSize = 12;  // 12 (three counts) or 4 (the count alone, libraries up to 3.2)
    uint32_t Version = RwVersionSA;
};

// Clump: struct, frame list, geometry list (struct with the count, the
// geometries), one atomic per geometry, extension.
std::string ClumpBytes(const TRwClump& c);
// The same with every default: one part per geometry.
std::string ModelBytes(const std::vector<TRwGeometry>& geometries);

// A quad of two triangles in the plane z = 0 spanning [-s, s] on x and y,
// facing +Z in the order the view draws it; with or without normals.
TRwGeometry QuadGeometry(float s, bool withNormals);
