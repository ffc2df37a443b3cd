// The model view's camera: it always looks at the origin with +Z up. Pure
// maths, so that orbit, zoom, fit and projection run without a GL context.
#pragma once

namespace korvane {

struct TCameraPos {
    double X, Y, Z;
};

inline constexpr TCameraPos InitialCameraPos{60, 30, 20};
// Closest the polar angle comes to either pole, in radians.
inline constexpr double PoleMargin = 0.025;

double CameraDistance(const TCameraPos& p);

// Puts the camera ten largest radii from the origin in its present direction.
// A radius that is not positive and finite, or a result that would not be a
// usable position, leaves the camera where it is: it never lands on the target.
TCameraPos FitCamera(const TCameraPos& p, float largestRadius);

// Orbit by a mouse travel of dx = LastMouseX - X and dy = LastMouseY - Y
// pixels, one degree each: dy raises the polar angle (clamped
// PoleMargin away from both poles), dx turns about +Z counter-clockwise
// seen from above.
TCameraPos OrbitCamera(const TCameraPos& p, int dx, int dy);

// Zoom by dy = LastMouseY - Y pixels: the distance is multiplied by
// 1.1^(dy/2). A step that would put the camera onto the target or out of
// range is not taken.
TCameraPos ZoomCamera(const TCameraPos& p, int dy);

// The perspective of a W x H view: focal length 100, near-plane bias 0.01,
// depth of view 10000, 96 dots per inch.
struct TFrustum {
    double Left, Right, Bottom, Top, Near, Far;
};
TFrustum ViewFrustum(int width, int height);

}  // namespace korvane
