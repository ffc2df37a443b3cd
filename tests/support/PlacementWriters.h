// Binary item-placement files ("bnry"), built byte by byte for tests and
// demo archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/ArchiveWriters.h"

// One item instance as stored: F1..F7, then I1, I2, I3 (40 bytes).
struct TIplInstanceRec {
    float f[7];
    int32_t i1, i2, i3;
};

// One parked car as stored: four floats, eight integers (48 bytes).
struct TIplCarRec {
    float f[4];
    int32_t i[8];
};


// The 76-byte header. The fields a reader must skip hold filler values, so a
// reader that takes the wrong field shows it.
std::string IplHeaderBytes(int32_t instanceCount, uint32_t instanceOffset, int32_t carCount, uint32_t carOffset,
                           const std::string& magic = "bnry");
std::string IplInstanceBytes(const TIplInstanceRec& r);
std::string IplCarBytes(const TIplCarRec& r);

// A whole file: the header, the instances right after it, then the cars.
std::string BinaryIplBytes(const std::vector<TIplInstanceRec>& instances, const std::vector<TIplCarRec>& cars = {});
