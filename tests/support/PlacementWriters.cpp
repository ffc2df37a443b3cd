#include "support/PlacementWriters.h"

#include <cstring>

#include "support/ArchiveWriters.h"


std::string IplHeaderBytes(int32_t instanceCount, uint32_t instanceOffset, int32_t carCount, uint32_t carOffset,
                           const std::string& magic)
{
    std::string h = magic.substr(0, 4);
    h.resize(4, '\0');
    h += LE32(uint32_t(instanceCount));
    for (uint32_t k = 0; k < 3; ++k) h += LE32(0xA0A0A0A0u + k);
    h += LE32(uint32_t(carCount));
    h += LE32(0xB0B0B0B0u);
    h += LE32(instanceOffset);
    for (uint32_t k = 0; k < 7; ++k) h += LE32(0xC0C0C0C0u + k);
    h += LE32(carOffset);
    for (uint32_t k = 0; k < 3; ++k) h += LE32(0xD0D0D0D0u + k);
    return h;
}

std::string IplInstanceBytes(const TIplInstanceRec& r)
{
    std::string b;
    for (float f : r.f) b += F32(f);
    return b + LE32(uint32_t(r.i1)) + LE32(uint32_t(r.i2)) + LE32(uint32_t(r.i3));
}

std::string IplCarBytes(const TIplCarRec& r)
{
    std::string b;
    for (float f : r.f) b += F32(f);
    for (int32_t i : r.i) b += LE32(uint32_t(i));
    return b;
}

std::string BinaryIplBytes(const std::vector<TIplInstanceRec>& instances, const std::vector<TIplCarRec>& cars)
{
    const uint32_t instanceOffset = 76;
    const uint32_t carOffset = instanceOffset + uint32_t(instances.size()) * 40;
    std::string b = IplHeaderBytes(int32_t(instances.size()), instanceOffset, int32_t(cars.size()), carOffset);
    for (const auto& r : instances) b += IplInstanceBytes(r);
    for (const auto& r : cars) b += IplCarBytes(r);
    return b;
}
