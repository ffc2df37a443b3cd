#include "formats/dff/VehicleLook.h"

#include <cstring>

namespace korvane {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& s, size_t at, const char* text)
{
    const size_t n = std::strlen(text);
    if (s.size() < at + n) return false;
    for (size_t i = 0; i < n; ++i)
        if (LowerAscii(s[at + i]) != text[i]) return false;
    return true;
}

bool Is(const uint8_t c[4], uint8_t r, uint8_t g, uint8_t b) { return c[0] == r && c[1] == g && c[2] == b; }

}  // namespace

void PaintedColour(const uint8_t colour[4], const TVehiclePaint& paint, uint8_t out[4])
{
    const uint8_t* rgb = colour;
    if (Is(colour, 60, 255, 0))
        rgb = paint.Primary;
    else if (Is(colour, 255, 0, 175))
        rgb = paint.Secondary;
    else if (Is(colour, 255, 175, 0) || Is(colour, 0, 255, 200))
        rgb = FrontLampColour;
    else if (Is(colour, 185, 255, 0) || Is(colour, 255, 60, 0))
        rgb = RearLampColour;
    std::memcpy(out, rgb, 3);
    out[3] = colour[3];
}

int WheelDummySide(const std::string& frameName)
{
    // "wheel_" side position "_dummy": 14 characters.
    if (frameName.size() != 14 || !SameNoCase(frameName, 0, "wheel_") || !SameNoCase(frameName, 8, "_dummy")) return 0;
    const char side = LowerAscii(frameName[6]), place = LowerAscii(frameName[7]);
    if (place != 'f' && place != 'm' && place != 'b') return 0;  // front, middle, back
    return side == 'l' ? -1 : side == 'r' ? 1 : 0;
}

bool IsWheelFrame(const std::string& frameName) { return frameName.size() == 5 && SameNoCase(frameName, 0, "wheel"); }

}  // namespace korvane
