#include "support/PngWriters.h"

#include <png.h>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace {

void Append(png_structp png, png_bytep data, size_t n)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

std::string BE32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

}  // namespace

std::string PngFileBytes(const TPngSpec& s)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the test picture");
    }
    png_set_write_fn(png, &out, Append, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colourType,
                 s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < s.palette.size(); i += 3)
        palette.push_back({png_byte(s.palette[i]), png_byte(s.palette[i + 1]), png_byte(s.palette[i + 2])});
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!s.alphas.empty())
        png_set_tRNS(png, info, reinterpret_cast<png_bytep>(const_cast<char*>(s.alphas.data())), int(s.alphas.size()), nullptr);
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    const size_t rowBytes = s.rows.size() / s.height;
    for (uint32_t y = 0; y < s.height; ++y)
        rows.push_back(reinterpret_cast<png_bytep>(const_cast<char*>(s.rows.data())) + y * rowBytes);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string PngChunk(const std::string& type, const std::string& data, int64_t crc)
{
    const std::string body = type + data;
    const uLong sum = crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()));
    return BE32(uint32_t(data.size())) + body + BE32(crc >= 0 ? uint32_t(crc) : uint32_t(sum));
}
