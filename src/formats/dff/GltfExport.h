// The assembled model as a binary glTF 2.0 file (".glb"), for other tools.
#pragma once

#include <string>
#include <vector>

#include "formats/dff/ModelScene.h"

namespace korvane {

// The file's bytes. A node per frame with its local matrix and name, under
// a root named `name` that turns the model's +Z up to glTF's +Y up; one mesh
// per geometry that an included placement draws, put on its frame's node, one
// primitive per material (positions, unit normals — stored or flat —, the
// first texture-coordinate set, indices in the view's corner order B, A, C);
// materials with the material colour and the texture, embedded as PNG,
// blended where the texture has alpha or the colour is not opaque. Without
// frames each included part gets a node "part_N" of its own. A part with
// copies (a vehicle's wheel) gets a node under each copy's frame instead,
// scaled by (-1, 1, 1) where the copy is mirrored; marker materials are
// coloured as `paint` paints them.
std::string GltfBytes(const TModelRead& model, const std::vector<TModelPlacement>& placements,
                      const std::vector<bool>& included, const TModelTextures& textures, const std::string& name,
                      const TVehiclePaint& paint = {});

void WriteGltfFile(const std::string& path, const std::string& bytes);

// The PNG file a texture is embedded as: RGBA when it has alpha, else RGB.
std::string EmbeddedPng(const TModelImage& image);

}  // namespace korvane
