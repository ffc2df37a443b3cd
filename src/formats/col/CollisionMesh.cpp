#include "formats/col/CollisionMesh.h"

#include <array>
#include <cmath>

namespace korvane {

TColour CollisionMaterialColour(uint8_t material)
{
    // Hues a golden angle apart, so neighbouring material numbers differ
    // clearly; saturation and value keep every colour readable when lit.
    const float hue = std::fmod(float(material) * 137.508f, 360.0f) / 60.0f;
    const float s = 0.6f, v = 0.9f;
    const float c = v * s;
    const float x = c * (1 - std::fabs(std::fmod(hue, 2.0f) - 1));
    const float m = v - c;
    float r = 0, g = 0, b = 0;
    switch (int(hue)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    return {r + m, g + m, b + m, 1};
}

namespace {

// The 256 material colours, worked out once: two fmods a face cost more
// than the rest of the face.
const TColour& MaterialColour(uint8_t material)
{
    static const std::array<TColour, 256> colours = [] {
        std::array<TColour, 256> c;
        for (int i = 0; i < 256; ++i) c[size_t(i)] = CollisionMaterialColour(uint8_t(i));
        return c;
    }();
    return colours[material];
}

void AppendFaces(const std::vector<TVec3>& vertices, const std::vector<TCollisionFace>& faces, bool shadow,
                 std::vector<TMeshVertex>& out)
{
    // Written through a pointer into room made at once: a push_back for each
    // corner stays an out-of-line call.
    const size_t from = out.size();
    out.resize(from + 3 * faces.size());
    TMeshVertex* v = out.data() + from;
    for (const TCollisionFace& f : faces) {
        // The reader guarantees the corners; a hand-made shape may not.
        if (f.A >= vertices.size() || f.B >= vertices.size() || f.C >= vertices.size()) continue;
        const TVec3 &a = vertices[f.A], &b = vertices[f.B], &c = vertices[f.C];
        const TVec3 n = FlatNormal(a, b, c);
        const TColour colour = shadow ? ShadowMeshColour : MaterialColour(f.Material);
        *v++ = {{0, 0}, colour, n, a};
        *v++ = {{0, 0}, colour, n, b};
        *v++ = {{0, 0}, colour, n, c};
    }
    out.resize(size_t(v - out.data()));
}

void Line(const TVec3& p, const TVec3& q, std::vector<TMeshVertex>& out)
{
    out.push_back({{0, 0}, WireframeColour, {0, 0, 0}, p});
    out.push_back({{0, 0}, WireframeColour, {0, 0, 0}, q});
}

}  // namespace

TCollisionMesh BuildCollisionMesh(const TCollisionShape& shape, bool shadow)
{
    TCollisionMesh mesh;
    mesh.Faces.reserve(3 * (shape.Faces.size() + (shadow ? shape.ShadowFaces.size() : 0)));
    AppendFaces(shape.Vertices, shape.Faces, false, mesh.Faces);
    if (shadow) AppendFaces(shape.ShadowVertices, shape.ShadowFaces, true, mesh.Faces);

    mesh.Lines.reserve(24 * shape.Boxes.size() + 6 * SphereSegments * shape.Spheres.size());
    for (const TCollisionBox& b : shape.Boxes) {
        const float x[2] = {b.Min.X, b.Max.X}, y[2] = {b.Min.Y, b.Max.Y}, z[2] = {b.Min.Z, b.Max.Z};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j) {
                Line({x[0], y[i], z[j]}, {x[1], y[i], z[j]}, mesh.Lines);
                Line({x[i], y[0], z[j]}, {x[i], y[1], z[j]}, mesh.Lines);
                Line({x[i], y[j], z[0]}, {x[i], y[j], z[1]}, mesh.Lines);
            }
    }
    constexpr double step = 2 * 3.14159265358979323846 / SphereSegments;
    for (const TCollisionSphere& s : shape.Spheres) {
        const TVec3& c = s.Centre;
        const float r = s.Radius;
        for (int k = 0; k < SphereSegments; ++k) {
            const float c0 = r * float(std::cos(k * step)), s0 = r * float(std::sin(k * step));
            const float c1 = r * float(std::cos((k + 1) * step)), s1 = r * float(std::sin((k + 1) * step));
            Line({c.X + c0, c.Y + s0, c.Z}, {c.X + c1, c.Y + s1, c.Z}, mesh.Lines);
            Line({c.X + c0, c.Y, c.Z + s0}, {c.X + c1, c.Y, c.Z + s1}, mesh.Lines);
            Line({c.X, c.Y + c0, c.Z + s0}, {c.X, c.Y + c1, c.Z + s1}, mesh.Lines);
        }
    }
    return mesh;
}

float CollisionViewRadius(const TCollisionModel& m)
{
    const TVec3 c = m.Centre();
    return m.Radius() + std::sqrt(c.X * c.X + c.Y * c.Y + c.Z * c.Z);
}

}  // namespace korvane
