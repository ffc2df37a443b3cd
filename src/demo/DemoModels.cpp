#include "demo/DemoModels.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

constexpr float Pi = 3.14159265358979f;

uint16_t AddVertex(TDemoMesh& m, float x, float y, float z, float u, float v)
{
    m.Positions.insert(m.Positions.end(), {x, y, z});
    m.TexCoords.insert(m.TexCoords.end(), {u, v});
    m.Radius = std::max(m.Radius, std::sqrt(x * x + y * y + z * z));
    return uint16_t(m.Positions.size() / 3 - 1);
}

void AddQuad(TDemoMesh& m, uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    m.Triangles.insert(m.Triangles.end(), {a, b, c, a, c, d});
}

}  // namespace

TDemoMesh DemoBox(float x0, float y0, float z0, float x1, float y1, float z1)
{
    TDemoMesh m;
    // Each face: its normal and four corners counter-clockwise seen from outside.
    struct TFace {
        float n[3];
        float c[4][3];
    };
    const TFace faces[6] = {
        {{0, 0, 1}, {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}},
        {{0, 0, -1}, {{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}}},
        {{1, 0, 0}, {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}},
        {{-1, 0, 0}, {{x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}}},
        {{0, 1, 0}, {{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}}},
        {{0, -1, 0}, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}},
    };
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (const TFace& f : faces) {
        uint16_t idx[4];
        for (int k = 0; k < 4; ++k) {
            idx[k] = AddVertex(m, f.c[k][0], f.c[k][1], f.c[k][2], uv[k][0], uv[k][1]);
            m.Normals.insert(m.Normals.end(), {f.n[0], f.n[1], f.n[2]});
        }
        AddQuad(m, idx[0], idx[1], idx[2], idx[3]);
    }
    return m;
}

TDemoMesh DemoCylinder(float radius, float z0, float z1, int sides)
{
    TDemoMesh m;
    for (int i = 0; i <= sides; ++i) {
        const float a = 2 * Pi * float(i) / float(sides);
        const float c = std::cos(a), s = std::sin(a);
        AddVertex(m, radius * c, radius * s, z0, float(i) / float(sides), 1);
        m.Normals.insert(m.Normals.end(), {c, s, 0});
        AddVertex(m, radius * c, radius * s, z1, float(i) / float(sides), 0);
        m.Normals.insert(m.Normals.end(), {c, s, 0});
    }
    for (int i = 0; i < sides; ++i) {
        const uint16_t b0 = uint16_t(2 * i), t0 = uint16_t(b0 + 1), b1 = uint16_t(b0 + 2), t1 = uint16_t(b0 + 3);
        AddQuad(m, b0, b1, t1, t0);
    }
    // Caps: a centre vertex and a ring of their own, facing up and down.
    for (int cap = 0; cap < 2; ++cap) {
        const float z = cap ? z1 : z0, nz = cap ? 1.f : -1.f;
        const uint16_t centre = AddVertex(m, 0, 0, z, 0.5f, 0.5f);
        m.Normals.insert(m.Normals.end(), {0, 0, nz});
        const uint16_t first = uint16_t(centre + 1);
        for (int i = 0; i < sides; ++i) {
            const float a = 2 * Pi * float(i) / float(sides);
            AddVertex(m, radius * std::cos(a), radius * std::sin(a), z, 0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a));
            m.Normals.insert(m.Normals.end(), {0, 0, nz});
        }
        for (int i = 0; i < sides; ++i) {
            const uint16_t a = uint16_t(first + i), b = uint16_t(first + (i + 1) % sides);
            if (cap)
                m.Triangles.insert(m.Triangles.end(), {centre, a, b});
            else
                m.Triangles.insert(m.Triangles.end(), {centre, b, a});
        }
    }
    return m;
}

TDemoMesh DemoTorus(float major, float minor, float z, int rings, int sides)
{
    TDemoMesh m;
    for (int i = 0; i <= rings; ++i) {
        const float a = 2 * Pi * float(i) / float(rings);
        for (int j = 0; j <= sides; ++j) {
            const float b = 2 * Pi * float(j) / float(sides);
            const float r = major + minor * std::cos(b);
            AddVertex(m, r * std::cos(a), r * std::sin(a), z + minor * std::sin(b), float(i) / float(rings),
                      float(j) / float(sides));
        }
    }
    const int row = sides + 1;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j) {
            const uint16_t p = uint16_t(i * row + j);
            AddQuad(m, p, uint16_t(p + row), uint16_t(p + row + 1), uint16_t(p + 1));
        }
    return m;
}

}  // namespace korvane
