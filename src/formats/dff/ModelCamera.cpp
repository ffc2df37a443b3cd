#include "formats/dff/ModelCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvane {

namespace {

constexpr double Degree = std::numbers::pi / 180;

// Smallest distance a zoom may leave, so that a direction can still be derived.
constexpr double MinDistance = 1e-6;
constexpr double MaxDistance = 1e30;

bool Usable(const TCameraPos& p)
{
    const double d = CameraDistance(p);
    return std::isfinite(d) && d >= MinDistance && d <= MaxDistance;
}

}  // namespace

double CameraDistance(const TCameraPos& p) { return std::sqrt(p.X * p.X + p.Y * p.Y + p.Z * p.Z); }

TCameraPos FitCamera(const TCameraPos& p, float largestRadius)
{
    const double d = CameraDistance(p);
    if (!(largestRadius > 0) || !std::isfinite(largestRadius) || !(d > 0)) return p;
    const double k = double(largestRadius) * 10 / d;
    const TCameraPos fitted{p.X * k, p.Y * k, p.Z * k};
    return Usable(fitted) ? fitted : p;
}

TCameraPos OrbitCamera(const TCameraPos& p, int dx, int dy)
{
    const double d = CameraDistance(p);
    if (!(d > 0) || !std::isfinite(d)) return p;
    const double ux = p.X / d, uy = p.Y / d, uz = p.Z / d;
    // Right axis R = U x u with U = (0, 0, 1).
    double rx = -uy, ry = ux;
    const double rlen = std::sqrt(rx * rx + ry * ry);
    if (rlen < 0.001) {
        rx = 1, ry = 0;
    } else {
        rx /= rlen, ry /= rlen;
    }
    const double phi = std::acos(std::clamp(uz, -1.0, 1.0));
    const double phi2 = std::clamp(phi + dy * Degree, PoleMargin, std::numbers::pi - PoleMargin);
    // U rotated about R by phi2 (Rodrigues, with R perpendicular to U):
    // U cos + (R x U) sin, and R x U = (ry, -rx, 0).
    const double s = std::sin(phi2);
    double wx = ry * s, wy = -rx * s;
    const double wz = std::cos(phi2);
    // Then about U by dx degrees, counter-clockwise seen from +Z.
    const double a = dx * Degree, ca = std::cos(a), sa = std::sin(a);
    const double tx = wx * ca - wy * sa, ty = wx * sa + wy * ca;
    wx = tx, wy = ty;
    return {wx * d, wy * d, wz * d};
}

TCameraPos ZoomCamera(const TCameraPos& p, int dy)
{
    const double r = std::pow(1.1, dy / 2.0);
    const TCameraPos z{p.X * r, p.Y * r, p.Z * r};
    return Usable(z) ? z : p;
}

TFrustum ViewFrustum(int width, int height)
{
    const double w = std::max(width, 1), h = std::max(height, 1);
    const double m = std::max(w, h);
    const double n = 100.0 * 2 * 96 / (25.4 * m) * 0.01;
    const double hw = 0.01 * w / (2 * m), hh = 0.01 * h / (2 * m);
    return {-hw, hw, -hh, hh, n, n + 10000};
}

}  // namespace korvane
