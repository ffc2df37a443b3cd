// Collision models written out for other programs: their faces as
// Wavefront OBJ.
#pragma once

#include <string>
#include <vector>

#include "formats/col/Collision.h"

namespace korvane::ops {

// The faces of `models` (indexed from `bytes`), each model an object of its
// name holding its vertices and its faces in stored order (A, B, C). The
// shadow meshes, boxes and spheres are not written.
void ExportCollisionObj(TByteSpan bytes, const std::vector<TCollisionModel>& models, const std::string& path);

}  // namespace korvane::ops
