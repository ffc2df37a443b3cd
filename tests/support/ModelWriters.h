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

// A material: its colour (red, green, blue, alpha) and, when `Texture` is not
// empty, a texture section naming it and `Mask`.
struct TRwMaterial {
    std::array<uint8_t, 4> Colour{255, 255, 255, 255};
    std::string Texture;
    std::string Mask;
};

// A frame: rotation rows right, up, at; position; parent (-1: a root); a
// name extension when `Name` is not empty.
struct TRwFrame {
    std::array<float, 9> Rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
    TXyz Position{0, 0, 0};
    int32_t Parent = -1;
    std::string Name;
};

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
    std::vector<TRwMaterial> Materials;
    // The material list's entries: -1 for the next material of Materials, or
    // the index of an earlier entry it repeats; none: one -1 per material.
    std::optional<std::vector<int32_t>> MaterialRefs;
    std::optional<uint32_t> MaterialCount;  // the list's stored count
};

std::string GeometryStructBody(const TRwGeometry& g);
// Geometry section: its struct, its material list and an extension.
std::string GeometrySection(const TRwGeometry& g, int64_t sizeOverride = -1);

struct TRwClump {
    std::vector<TRwGeometry> Geometries;
    std::optional<uint32_t> PartCount;  // the clump struct's first count; none: the geometries'
    uint32_t StructSize = 12;  // 12 (three counts) or 4 (the count alone, libraries up to 3.2)
    uint32_t Version = RwVersionSA;
    // The frame list; none: one frame at the origin. An empty list writes no
    // frame list at all.
    std::optional<std::vector<TRwFrame>> Frames;
    std::optional<uint32_t> FrameCount;  // the frame list's stored count
    // Atomics as (frame, geometry); none: geometry i on frame 0.
    std::optional<std::vector<std::array<uint32_t, 2>>> Atomics;
};

// Clump: struct, frame list, geometry list (struct with the count, the
// geometries), the atomics, extension.
std::string ClumpBytes(const TRwClump& c);
// The same with every default: one part per geometry.
std::string ModelBytes(const std::vector<TRwGeometry>& geometries);

// A quad of two triangles in the plane z = 0 spanning [-s, s] on x and y,
// facing +Z in the order the view draws it; with or without normals.
TRwGeometry QuadGeometry(float s, bool withNormals);

// Four 2×2 quads facing +Z, centred at x = -6, -2, 2, 6, quad i in material
// i, as one part of a model.
std::string QuadsInARow(const std::vector<TRwMaterial>& materials);
