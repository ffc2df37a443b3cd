// What the game does to a vehicle model before drawing it: its one wheel
// part drawn at every wheel dummy, and the modelling tools' marker colours
// turned into paint and unlit lamps.
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

// The body and trim colours marker materials are painted in (red, green, blue).
struct TVehiclePaint {
    uint8_t Primary[3] = {200, 200, 200};   // a light grey
    uint8_t Secondary[3] = {64, 64, 64};    // a dark grey
    bool operator==(const TVehiclePaint&) const = default;
};

inline constexpr uint8_t FrontLampColour[3] = {226, 226, 216};  // an unlit headlight
inline constexpr uint8_t RearLampColour[3] = {110, 8, 8};       // an unlit tail light

// The colour a material is drawn in: its own, or for a marker colour the
// paint or lamp it stands for. Alpha is kept.
void PaintedColour(const uint8_t colour[4], const TVehiclePaint& paint, uint8_t out[4]);

// Which side a frame named `wheel_??_dummy` holds a wheel on (ASCII case
// ignored): -1 left (`wheel_l?_dummy`), 1 right (`wheel_r?_dummy`), 0 not a
// wheel dummy.
int WheelDummySide(const std::string& frameName);

// Whether the frame holds the part the game draws at every wheel dummy.
bool IsWheelFrame(const std::string& frameName);

}  // namespace korvane
