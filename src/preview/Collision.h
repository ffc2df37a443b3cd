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

#include "preview/Model.h"
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
// Positions are from the start of the file's bytes.
struct TCollisionModel {
    uint32_t Version = 0;  // 1 to 4
    char RawName[CollisionNameSize] = {};  // zero-padded, Windows-1251
    uint16_t ModelId = 0;
    TVec3 Min{0, 0, 0}, Max{0, 0, 0}, Centre{0, 0, 0};
    float Radius = 0;
    uint32_t Flags = 0;  // 0 for version 1
    uint32_t Spheres = 0, Boxes = 0, Vertices = 0, Faces = 0, Lines = 0, FaceGroups = 0;
    uint32_t ShadowVertices = 0, ShadowFaces = 0;
    uint64_t At = 0;   // the tag's first byte
    uint64_t End = 0;  // one past the model's last byte
    uint64_t SpheresAt = 0, BoxesAt = 0, VerticesAt = 0, FacesAt = 0, ShadowVerticesAt = 0, ShadowFacesAt = 0;

    // The characters before the first zero byte, all 22 when there is none.
    std::string_view Name() const;
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

// "%d моделей, %d граней" (UTF-8).
std::string CollisionTotalsText(uint64_t models, uint64_t faces);

}  // namespace korvane
