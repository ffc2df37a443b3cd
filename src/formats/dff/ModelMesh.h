// The display meshes of a model's parts: plain triangle lists ready for an
// interleaved vertex array (texture coordinate, colour, normal, position).
#pragma once

#include <cstddef>
#include <vector>

#include "formats/dff/Model.h"

namespace korvane {

inline constexpr TColour SelectedPartColour{1, 0, 0, 1};
inline constexpr TColour PartColour{0.752941f, 0.752941f, 0.752941f, 1};

// Appends the part's triangles to `out`, three vertices each in the order B,
// A, C, all in `colour`. A triangle with a corner outside the part's vertices
// is left out. Without stored normals (flag 0x10) every triangle gets its flat
// normal by the counter-clockwise rule over the appended order; a degenerate
// triangle gets a zero normal.
void AppendPartMesh(const TModelPart& part, const TColour& colour, std::vector<TMeshVertex>& out);

// The meshes of the first `meshed` parts (the parts that have one): empty for
// an unchecked part, red for the checked part in row `selected`, grey for the
// other checked parts.
std::vector<std::vector<TMeshVertex>> BuildModelMeshes(const std::vector<TModelPart>& parts, size_t meshed,
                                                       const std::vector<bool>& checked, int selected);

}  // namespace korvane
