#include "formats/picture/BmpWriter.h"

#include "base/ByteOrder.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

constexpr size_t HeaderBytes = 14 + 40;

size_t RowBytes(const TTextureBitmap& bmp) { return (size_t(bmp.Width) * 3 + 3) & ~size_t(3); }

void Header(const TTextureBitmap& bmp, uint8_t* h)
{
    const uint32_t imageSize = uint32_t(RowBytes(bmp) * size_t(bmp.Height));
    h[0] = 'B';
    h[1] = 'M';
    StoreLE32(h + 2, uint32_t(HeaderBytes) + imageSize);
    StoreLE32(h + 6, 0);
    StoreLE32(h + 10, uint32_t(HeaderBytes));
    StoreLE32(h + 14, 40);
    StoreLE32(h + 18, uint32_t(bmp.Width));
    StoreLE32(h + 22, uint32_t(bmp.Height));  // positive: bottom-up
    StoreLE16(h + 26, 1);
    StoreLE16(h + 28, 24);
    StoreLE32(h + 30, 0);  // BI_RGB
    StoreLE32(h + 34, imageSize);
    StoreLE32(h + 38, 2835);  // 72 dpi
    StoreLE32(h + 42, 2835);
    StoreLE32(h + 46, 0);
    StoreLE32(h + 50, 0);
}

// Row y of the file (counted from the bottom) into `out`.
void Row(const TTextureBitmap& bmp, int y, uint8_t* out)
{
    const uint8_t* src = bmp.Pixels.data() + size_t(bmp.Height - 1 - y) * size_t(bmp.Width) * 4;
    for (int x = 0; x < bmp.Width; ++x, src += 4, out += 3) {
        out[0] = src[0];
        out[1] = src[1];
        out[2] = src[2];
    }
}

}  // namespace

std::string BmpBytes(const TTextureBitmap& bmp)
{
    std::string bytes(HeaderBytes + RowBytes(bmp) * size_t(bmp.Height), '\0');
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    Header(bmp, p);
    for (int y = 0; y < bmp.Height; ++y) Row(bmp, y, p + HeaderBytes + RowBytes(bmp) * size_t(y));
    return bytes;
}

void WriteBmpFile(const std::string& path, const TTextureBitmap& bmp)
{
    TFile file = TFile::Create(path);
    uint8_t header[HeaderBytes];
    Header(bmp, header);
    file.Write(header, sizeof header);
    // Row by row: the picture is never held twice.
    std::vector<uint8_t> row(RowBytes(bmp), 0);
    for (int y = 0; y < bmp.Height; ++y) {
        Row(bmp, y, row.data());
        file.Write(row.data(), row.size());
    }
    file.Close();
}

}  // namespace korvane
