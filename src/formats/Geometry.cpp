#include "formats/Geometry.h"

#include <cmath>

namespace korvane {

float Length(const TVec3& v) { return std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z); }

TMatrix operator*(const TMatrix& a, const TMatrix& b)
{
    TMatrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float s = 0;
            for (int k = 0; k < 4; ++k) s += a.M[k * 4 + row] * b.M[c * 4 + k];
            r.M[c * 4 + row] = s;
        }
    return r;
}

TVec3 TransformPoint(const TMatrix& m, const TVec3& p)
{
    const float* a = m.M;
    return {a[0] * p.X + a[4] * p.Y + a[8] * p.Z + a[12], a[1] * p.X + a[5] * p.Y + a[9] * p.Z + a[13],
            a[2] * p.X + a[6] * p.Y + a[10] * p.Z + a[14]};
}

TVec3 TransformNormal(const TMatrix& m, const TVec3& n)
{
    const float* a = m.M;
    const TVec3 r{a[0] * n.X + a[4] * n.Y + a[8] * n.Z, a[1] * n.X + a[5] * n.Y + a[9] * n.Z,
                  a[2] * n.X + a[6] * n.Y + a[10] * n.Z};
    const float len = Length(r);
    if (!(len > 0) || !std::isfinite(len)) return r;
    return {r.X / len, r.Y / len, r.Z / len};
}

TVec3 FlatNormal(const TVec3& p0, const TVec3& p1, const TVec3& p2)
{
    const float ax = p1.X - p0.X, ay = p1.Y - p0.Y, az = p1.Z - p0.Z;
    const float bx = p2.X - p0.X, by = p2.Y - p0.Y, bz = p2.Z - p0.Z;
    const float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0) || !std::isfinite(len)) return {0, 0, 0};
    return {nx / len, ny / len, nz / len};
}

}  // namespace korvane
