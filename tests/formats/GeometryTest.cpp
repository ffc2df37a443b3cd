// The matrix arithmetic of the model view and exports, with every entry of
// the matrix distinct, so that each product term is pinned.
#include <gtest/gtest.h>

#include "formats/Geometry.h"

using namespace korvane;

TEST(Geometry, PointsAndNormalsThroughAMatrixOfDistinctEntries)
{
    // Column-major: the translation is M[12..14].
    TMatrix m;
    const float a[16] = {2, 3, 5, 0, 7, 11, 13, 0, 17, 19, 23, 0, 29, 31, 37, 1};
    std::copy(a, a + 16, m.M);
    const TVec3 p = TransformPoint(m, {1, 10, 100});
    // 2+70+1700+29, 3+110+1900+31, 5+130+2300+37
    EXPECT_EQ(p.X, 1801.0f);
    EXPECT_EQ(p.Y, 2044.0f);
    EXPECT_EQ(p.Z, 2472.0f);

    // The upper 3×3 only, then unit length: (0, 1, 0) becomes the column
    // (M[4], M[5], M[6]) = (0, 3, 4), of length 5.
    TMatrix n;
    const float b[16] = {1, 0, 0, 0, 0, 3, 4, 0, 0, 0, 1, 0, 50, 60, 70, 1};
    std::copy(b, b + 16, n.M);
    const TVec3 up = TransformNormal(n, {0, 1, 0});
    EXPECT_FLOAT_EQ(up.X, 0.0f);
    EXPECT_FLOAT_EQ(up.Y, 0.6f);
    EXPECT_FLOAT_EQ(up.Z, 0.8f);
    const TVec3 zero = TransformNormal(n, {0, 0, 0});  // no direction: left as it is, not NaN
    EXPECT_EQ(zero.X, 0.0f);
    EXPECT_EQ(zero.Y, 0.0f);
    EXPECT_EQ(zero.Z, 0.0f);
}
