#include "preview/PngWriter.h"

#include <array>

#include "archive/ByteOrder.h"
#include "archive/FileIO.h"

namespace korvane {

namespace {

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t Crc(const std::string& bytes, size_t from)
{
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) c = CrcTable()[(c ^ uint8_t(bytes[i])) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::string& out, const char* type, const std::string& data)
{
    AppendBE32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out += type;
    out += data;
    AppendBE32(out, Crc(out, start));
}

}  // namespace

std::string PngBytes(const TTextureBitmap& bmp)
{
    // Filter byte 0 and red, green, blue per pixel, row by row.
    std::string raw;
    raw.reserve((size_t(bmp.Width) * 3 + 1) * size_t(bmp.Height));
    for (int y = 0; y < bmp.Height; ++y) {
        raw += '\0';
        const uint8_t* p = bmp.Pixels.data() + size_t(y) * size_t(bmp.Width) * 4;
        for (int x = 0; x < bmp.Width; ++x, p += 4) raw += {char(p[2]), char(p[1]), char(p[0])};
    }
    std::string z = "\x78\x01";
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - pos, 65535);
        const bool last = pos + n == raw.size();
        z += char(last ? 1 : 0);
        AppendLE16(z, uint16_t(n));
        AppendLE16(z, uint16_t(~n));
        z.append(raw, pos, n);
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + uint8_t(c)) % 65521;
        b = (b + a) % 65521;
    }
    AppendBE32(z, b << 16 | a);

    std::string out = "\x89PNG\r\n\x1a\n";
    std::string ihdr;
    AppendBE32(ihdr, uint32_t(bmp.Width));
    AppendBE32(ihdr, uint32_t(bmp.Height));
    ihdr += {char(8), char(2), char(0), char(0), char(0)};  // 8-bit RGB, no interlace
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", "");
    return out;
}

void WritePngFile(const std::string& path, const TTextureBitmap& bmp)
{
    const std::string bytes = PngBytes(bmp);
    TFile file = TFile::Create(path);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

}  // namespace korvane
