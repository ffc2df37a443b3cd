// Collision models written in the layout Collision.h reads: the demo
// archive's collision file and the tests' fixtures come from here.
#pragma once

#include <string>

#include "formats/col/Collision.h"

namespace korvane {

struct TCollisionModelData {
    uint32_t Version = 3;  // 1 to 4
    std::string Name;      // at most 22 bytes
    uint16_t ModelId = 0;
    TVec3 Min{0, 0, 0}, Max{0, 0, 0}, Centre{0, 0, 0};
    float Radius = 0;
    TCollisionShape Shape;  // the shadow mesh is written by versions 3 and 4 only
};

// One model: its tag, size, header and then spheres, boxes, vertices, faces
// (and for versions 3 and 4 the shadow vertices and faces), in that order.
// Vertices of versions 2 to 4 are stored in 1/128 units, rounded.
std::string CollisionModelBytes(const TCollisionModelData& model);

}  // namespace korvane
