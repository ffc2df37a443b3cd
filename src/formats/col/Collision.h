// Collision files (".col"): a sequence of collision models, each a tag
// ("COLL" for version 1, "COL2".."COL4"), the size of the rest of the model,
// a name, a model id, bounds and the shapes the game collides with.
//
// Reading a file indexes it: every model's counts and offsets are checked
// against the model's own size and the vertex counts worked out, but the
// shapes themselves are decoded only for the model that is looked at, so a
// file of thousands of models lists in about the time its bytes take to copy.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "formats/dff/Model.h"
#include "rw/SectionCursor.h"

namespace korvane {

// A collision model that does not hold what its counts and offsets say, or
// bytes between models that are not a model. The message names the model.
class ECollisionError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Model flags the reader looks at (versions 2 to 4).
enum : uint32_t {
    cfFaceGroups = 8,
    cfShadowMesh = 16,
};

constexpr size_t CollisionNameSize = 22;

// One model as indexed: what its header says and where its arrays lie.
// Positions are from the start of the file's bytes, which ReadCollisionFile
// takes up to 4 GiB (an entry in memory is at most 1 GiB). The reader fills
// every field: a model is a few stores, so that thousands list at once.
struct TCollisionModel {
    // Bytes 8 to 71 of the model as stored: its name, model id and bounds.
    char RawName[CollisionNameSize];  // zero-padded, Windows-1251
    uint16_t ModelId;
    float Bounds[10];  // version 1: radius, centre, min, max; later: min, max, centre, radius
    uint32_t Version;  // 1 to 4
    uint32_t Flags;    // 0 for version 1
    uint32_t Spheres, Boxes, Vertices, Faces, Lines, FaceGroups, ShadowVertices, ShadowFaces;
    uint32_t At;   // the tag's first byte
    uint32_t End;  // one past the model's last byte
    uint32_t SpheresAt, BoxesAt, VerticesAt, FacesAt, ShadowVerticesAt, ShadowFacesAt;

    // The characters before the first zero byte, all 22 when there is none.
    std::string_view Name() const;
    TVec3 Min() const { return Vec(Version == 1 ? 4 : 0); }
    TVec3 Max() const { return Vec(Version == 1 ? 7 : 3); }
    TVec3 Centre() const { return Vec(Version == 1 ? 1 : 6); }
    float Radius() const { return Bounds[Version == 1 ? 0 : 9]; }

private:
    TVec3 Vec(int i) const { return {Bounds[i], Bounds[i + 1], Bounds[i + 2]}; }
};

// Size of a model's header up to its first array, tag and size included.
uint64_t CollisionHeaderSize(uint32_t version);

// Indexes the models of a collision file into `out` (appended, in file
// order). Zero bytes after the last model are padding. Raises
// ECollisionError naming the first model that lies, `out` then holding the
// models before it.
void ReadCollisionFile(TByteSpan bytes, std::vector<TCollisionModel>& out);

// Whether the bytes start with a collision model's tag.
bool IsCollisionFile(TByteSpan bytes);

struct TCollisionSphere {
    TVec3 Centre;
    float Radius;
    uint8_t Material;
};
struct TCollisionBox {
    TVec3 Min, Max;
    uint8_t Material;
};
struct TCollisionFace {
    uint32_t A, B, C;
    uint8_t Material;
    uint8_t Light;
};

// A model's shapes, decoded. Every face names vertices that are there.
struct TCollisionShape {
    std::vector<TCollisionSphere> Spheres;
    std::vector<TCollisionBox> Boxes;
    std::vector<TVec3> Vertices;
    std::vector<TCollisionFace> Faces;
    std::vector<TVec3> ShadowVertices;
    std::vector<TCollisionFace> ShadowFaces;
};

// Decodes a model that ReadCollisionFile indexed from the same bytes.
TCollisionShape DecodeCollisionModel(TByteSpan bytes, const TCollisionModel& model);

// "%d моделей, %d граней" (UTF-8), in the words given.
std::string CollisionTotalsText(uint64_t models, uint64_t faces, const TTextWords& words = RussianWords);

}  // namespace korvane
