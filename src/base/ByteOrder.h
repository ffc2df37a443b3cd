// Little- and big-endian values in byte buffers, read in place or written in
// place and appended to a byte string.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace korvane {

inline uint16_t LoadLE16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

inline uint32_t LoadLE32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline uint32_t LoadBE32(const uint8_t* p)
{
    return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}

inline void StoreLE16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

inline void StoreLE32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline void AppendLE16(std::string& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

inline void AppendLE32(std::string& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k) out += char(v >> (8 * k) & 0xFF);
}

// A float's IEEE bits, little-endian, as the files store them.
inline void AppendLEFloat(std::string& out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    AppendLE32(out, v);
}

inline void AppendBE32(std::string& out, uint32_t v)
{
    for (int k = 3; k >= 0; --k) out += char(v >> (8 * k) & 0xFF);
}

}  // namespace korvane
