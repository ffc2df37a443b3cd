// Pictures for the demo archives, drawn by code.
#pragma once

#include "formats/picture/Bitmap.h"

namespace korvane {

enum class TDemoPattern {
    Rings,    // concentric rainbow rings, opaque
    Bricks,   // a brick wall, opaque
    Glass,    // a tinted pane whose alpha fades towards the edges
    Emblem,   // a star on a transparent ground
};

TTextureBitmap DemoPicture(TDemoPattern pattern, int width, int height);

}  // namespace korvane
