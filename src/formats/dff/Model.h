// Models: the geometry of a RenderWare clump, part by part.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/TextWords.h"
#include "formats/Geometry.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"

namespace korvane {

// Geometry flags the reader looks at.
enum : uint32_t {
    gfTexCoords = 0x04,
    gfPrelit = 0x08,
    gfNormals = 0x10,
    gfTexCoords2 = 0x80,
};

// The runtime's error for a count that cannot size an array.
class ERangeError : public std::runtime_error {
public:
    ERangeError() : std::runtime_error("Range check error") {}
};

// As stored: the first two corners, the material index, the third corner.
struct TTriangle {
    uint16_t A, B, Material, C;
};
static_assert(sizeof(TTriangle) == 8);

// One material of a geometry: its colour and the texture it names.
struct TMaterial {
    uint8_t Colour[4] = {255, 255, 255, 255};  // red, green, blue, alpha
    bool Textured = false;
    std::string Texture;  // raw 8-bit names, as the dictionaries hold them
    std::string Mask;
};

// A frame of the model's hierarchy. A point p of the frame's space lies at
// p.X·right + p.Y·up + p.Z·at + Position in its parent's space.
struct TFrame {
    float Rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // right, up, at
    TVec3 Position{0, 0, 0};
    int32_t Parent = -1;  // -1: a root; otherwise an index in the frame list
    std::string Name;     // from the frame-name extension; raw 8-bit, may be empty
};

// An atomic: a geometry drawn under a frame.
struct TAtomic {
    uint32_t Frame = 0;
    uint32_t Geometry = 0;
};

struct TModelPart {
    uint32_t Flags = 0;  // the 16-bit geometry flags
    std::vector<TTriangle> Triangles;
    std::vector<TVec3> Positions;
    std::vector<TVec3> Normals;      // zero when the file has none
    std::vector<TTexCoord> TexCoords;  // the first set; zero when the file has none
    TVec3 Centre{0, 0, 0};           // bounding sphere of the first morph target
    float Radius = 0;
    uint32_t TexCoordSets = 0;         // sets stored; TexCoords holds the first
    std::vector<TMaterial> Materials;  // triangles index these
};

// What a model load got to. A failing load leaves here what it read before
// the failure, so the caller can keep exactly that.
struct TModelRead {
    bool ClumpFound = false;   // the clump's struct was reached: earlier meshes go
    bool ListStarted = false;  // the geometry list was reached: the part list restarts
    int32_t PartCount = 0;     // the clump's count
    int32_t RowsAdded = 0;     // part rows: the parts read and the one that failed
    std::vector<TModelPart> Parts;  // parts read completely
    int64_t VertexTotal = 0;
    int64_t TriangleTotal = 0;
    float LargestRadius = 0;  // largest radius seen; NaN ignored
    // How the parts stand in the model: the frame hierarchy, the atomics and
    // the materials of each part. A file whose frames, atomics or materials
    // cannot be read keeps its geometry: all three are then left empty and
    // SceneError says why.
    std::vector<TFrame> Frames;
    std::vector<TAtomic> Atomics;
    std::string SceneError;
};

// Reads the model that starts at the cursor's position. Raises
// "Read beyond end of file" when a section is missing or a count asks for more
// bytes than the span holds (before anything is sized from it), and
// ERangeError for a negative count; `out` then holds what was read.
// Without `scene` only the geometry is read: no frames, atomics or materials.
void ReadModel(TSectionCursor& in, TModelRead& out, bool scene = true);

// Whether a geometry struct with this version stamp carries the 12-byte
// lighting block (libraries before 3.4).
inline bool HasLightingBlock(uint32_t version) { return (version >> 16) < 0x1000; }

// Texture-coordinate sets stored in a geometry struct: the struct's own count
// when set, else what the flags say.
inline uint32_t TexCoordSets(uint32_t flags, uint8_t storedSets)
{
    if (storedSets != 0) return storedSets;
    if (flags & gfTexCoords2) return 2;
    return (flags & gfTexCoords) ? 1 : 0;
}

// "%d вершин, %d полигонов" (UTF-8, in the words given).
std::string ModelTotalsText(int64_t vertices, int64_t triangles, const TTextWords& words = RussianWords);
// "< Часть #%d >": the caption of the part numbered n from 1.
std::string PartCaption(uint64_t n, const TTextWords& words = RussianWords);

}  // namespace korvane
