// Binary item-placement files ("bnry") turned into the text placement format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/FileIO.h"

namespace korvane {

// The 76-byte header at the entry's first byte; the fields the text needs.
struct TIplHeader {
    char Magic[4];
    int32_t InstanceCount;   // bytes 4-7
    int32_t CarCount;        // bytes 20-23
    uint32_t InstanceOffset; // bytes 28-31, from the entry's first byte
    uint32_t CarOffset;      // bytes 60-63, from the entry's first byte
};
constexpr size_t IplHeaderSize = 76;
TIplHeader ParseIplHeader(const unsigned char* bytes);

// 40 bytes: F1..F7, then I1, I2, I3.
struct TIplInstance {
    float F[7];
    int32_t I1, I2, I3;
};
constexpr size_t IplInstanceSize = 40;

// 48 bytes: four floats, then eight integers.
struct TIplParkedCar {
    float F[4];
    int32_t I[8];
};
constexpr size_t IplParkedCarSize = 48;

// Two decimals, "." whatever the locale, half away from zero on the float's
// exact value, "0.00" for anything that rounds to zero; no terminator.
// Returns the number of characters written (at most FloatTextMax).
constexpr size_t FloatTextMax = 48;
size_t FormatFloat2(float v, char* out);

// Receives each line of the text, without a line end.
class TPlacementSink {
public:
    virtual ~TPlacementSink() = default;
    virtual void Line(std::string_view line) = 0;
};

// Writes the text of the placement entry that starts at byte `entryPos` of
// `file` to `sink`, line by line. `name` (raw bytes) goes into the comment
// line. Records are read wherever the header's offsets point, entry or not;
// a record that cannot be read whole raises "Read beyond end of file" after
// the lines before it have been delivered.
void ConvertPlacement(TFile& file, uint64_t entryPos, const TIplHeader& header, std::string_view name,
                      TPlacementSink& sink);

}  // namespace korvane
