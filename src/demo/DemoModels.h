// Meshes for the demo model, built by code.
#pragma once

#include <cstdint>
#include <vector>

namespace korvane {

struct TDemoMesh {
    std::vector<float> Positions;    // x, y, z per vertex
    std::vector<float> Normals;      // x, y, z per vertex; empty when the part stores none
    std::vector<float> TexCoords;    // u, v per vertex
    std::vector<uint16_t> Triangles; // three vertex indices each, counter-clockwise seen from outside
    float Radius = 0;                // of a sphere around the origin holding every vertex
};

// An axis-aligned box from (x0, y0, z0) to (x1, y1, z1) with a normal per face.
TDemoMesh DemoBox(float x0, float y0, float z0, float x1, float y1, float z1);
// An upright cylinder around the z axis with smooth side normals and caps.
TDemoMesh DemoCylinder(float radius, float z0, float z1, int sides);
// A torus lying in a plane parallel to xy at height z, without normals.
TDemoMesh DemoTorus(float major, float minor, float z, int rings, int sides);

}  // namespace korvane
