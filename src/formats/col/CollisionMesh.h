// What the model view draws of a collision model: its faces as a lit
// surface coloured by material, and its boxes and spheres as wireframes.
#pragma once

#include <vector>

#include "formats/col/Collision.h"
#include "formats/dff/ModelMesh.h"

namespace korvane {

// The colour of a surface material: each material its own, fixed hue.
TColour CollisionMaterialColour(uint8_t material);
inline constexpr TColour ShadowMeshColour{0.25f, 0.25f, 0.85f, 1};
inline constexpr TColour WireframeColour{1, 1, 0, 1};
// Segments of each of a sphere's three circles.
constexpr int SphereSegments = 24;

struct TCollisionMesh {
    std::vector<TMeshVertex> Faces;  // triangles: three vertices each, flat normals
    std::vector<TMeshVertex> Lines;  // line segments: two vertices each
};

// The faces (and with `shadow` the shadow mesh's faces after them) as
// triangles in the order A, B, C with their flat normals; every box's twelve
// edges and every sphere's three circles about its centre, as lines.
TCollisionMesh BuildCollisionMesh(const TCollisionShape& shape, bool shadow);

// How far the view must reach to show the model: its bounds' radius plus
// the distance of their centre from the origin, which the camera looks at.
float CollisionViewRadius(const TCollisionModel& model);

}  // namespace korvane
