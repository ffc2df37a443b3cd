// The geometry every format and view shares: points, texture coordinates,
// colours, the vertex the model view draws and the 4×4 matrix.
#pragma once

namespace korvane {

struct TVec3 {
    float X, Y, Z;
};
struct TTexCoord {
    float U, V;
};
static_assert(sizeof(TVec3) == 12 && sizeof(TTexCoord) == 8);

struct TColour {
    float R, G, B, A;
};

// One vertex in the layout of GL_T2F_C4F_N3F_V3F.
struct TMeshVertex {
    TTexCoord TexCoord;
    TColour Colour;
    TVec3 Normal;
    TVec3 Position;
};
static_assert(sizeof(TMeshVertex) == 48);

// 4×4, column-major (as OpenGL and glTF take it); a point is a column.
struct TMatrix {
    float M[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool operator==(const TMatrix&) const = default;
};

float Length(const TVec3& v);
TMatrix operator*(const TMatrix& a, const TMatrix& b);
TVec3 TransformPoint(const TMatrix& m, const TVec3& p);
// The upper 3×3 applied to a direction, made unit length again.
TVec3 TransformNormal(const TMatrix& m, const TVec3& n);
// normalise((p1 − p0) × (p2 − p0)); zero for a degenerate triangle.
TVec3 FlatNormal(const TVec3& p0, const TVec3& p1, const TVec3& p2);

}  // namespace korvane
