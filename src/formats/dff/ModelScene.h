// A model assembled as the game shows it: each part (an atomic) placed by
// its frame's world matrix, each triangle in its material's colour and
// texture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/dff/Model.h"
#include "formats/dff/ModelMesh.h"
#include "formats/dff/VehicleLook.h"

namespace korvane {

// The frame's matrix in its parent's space: columns right, up, at, position.
TMatrix FrameMatrix(const TFrame& f);

// One more place a part is drawn at: a vehicle's wheel at a wheel dummy.
struct TPartCopy {
    int32_t Frame = -1;     // the dummy
    TMatrix World;          // the dummy's world matrix, mirrored in x for a left wheel
    bool Mirrored = false;  // left: triangles turn the other way round
};

// One part of the assembled model.
struct TModelPlacement {
    uint32_t Geometry = 0;  // index in TModelRead::Parts
    int32_t Frame = -1;     // -1 when the model is shown without frames
    TMatrix World;          // its frame's matrix times its parents', to the root
    // When not empty the part is drawn at each of these instead of at World.
    std::vector<TPartCopy> Copies;
};

// One part per atomic; a model without frames or atomics gives one part per
// geometry read, in geometry order, at the origin. A part on the frame
// "wheel" of a model with wheel dummies gets a copy per dummy, in frame order.
std::vector<TModelPlacement> AssembleModel(const TModelRead& model);
// The places a placement is drawn at: its copies, or its own frame.
std::vector<TPartCopy> DrawnAt(const TModelPlacement& p);

// The part's frame name (raw 8-bit), or "" when it has none.
std::string PlacementName(const TModelRead& model, const TModelPlacement& p);

// Whether a part starts hidden: its frame names a damaged ("_dam") or
// low-detail ("_vlo") version (ASCII case ignored).
bool HiddenAtFirst(const std::string& frameName);

// The radius, around the origin, of a sphere holding every part's bounding
// sphere where the part stands.
float AssembledRadius(const TModelRead& model, const std::vector<TModelPlacement>& placements);

// A decoded texture a model's materials use.
struct TModelImage {
    std::string Name;  // raw, as the dictionary holds it
    int Width = 0;
    int Height = 0;
    bool HasAlpha = false;      // the dictionary says so: the alpha is used
    std::vector<uint8_t> Bgra;  // blue, green, red, alpha; rows top to bottom
};

struct TModelTextures {
    std::vector<TModelImage> Images;
    // [geometry][material]: the image of that material, or -1 (none found).
    std::vector<std::vector<int32_t>> ByMaterial;
    int32_t ImageOf(uint32_t geometry, uint32_t material) const
    {
        if (geometry >= ByMaterial.size() || material >= ByMaterial[geometry].size()) return -1;
        return ByMaterial[geometry][material];
    }
};

// A run of one part's mesh drawn with one texture (-1: none), blended when
// its texture has alpha or its colour is not opaque.
struct TMeshBatch {
    int32_t Texture = -1;
    bool Blend = false;
    uint32_t First = 0;
    uint32_t Count = 0;
};

struct TSceneMesh {
    std::vector<TMeshVertex> Vertices;
    std::vector<TMeshBatch> Batches;
};

// The meshes of the assembled view, one per placement: empty when unchecked;
// the selected one all in SelectedPartColour without texture; the others
// vertex by vertex in their frame's world space (once per copy), grouped by
// material, in the material's colour as `paint` paints it (PartColour for a
// triangle whose material is missing).
std::vector<TSceneMesh> BuildSceneMeshes(const TModelRead& model, const std::vector<TModelPlacement>& placements,
                                         const TModelTextures& textures, const std::vector<bool>& checked,
                                         int selected, const TVehiclePaint& paint = {});

}  // namespace korvane
