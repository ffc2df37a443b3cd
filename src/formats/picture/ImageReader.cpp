#include "formats/picture/ImageReader.h"

#include <csetjmp>
#include <cstring>
#include <exception>
#include <png.h>

#include "base/ByteOrder.h"
#include "base/FileIO.h"

namespace korvane {

std::string SizeText(int width, int height) { return std::to_string(width) + "×" + std::to_string(height); }

namespace {

void CheckSides(const std::string& path, int64_t width, int64_t height)
{
    if (width < 1 || height < 1 || width > MaxTextureSide || height > MaxTextureSide)
        throw EImageError(path, "the picture is " + std::to_string(width) + "×" + std::to_string(height) +
                                    " pixels; a texture's sides are 1 to " + std::to_string(MaxTextureSide) + " pixels");
}

// ---- PNG ----

// What libpng's callbacks hand back. libpng gives up by longjmp, so its
// callbacks keep no object that needs destroying and throw nothing.
struct TPngRead {
    TBufferedReader* reader = nullptr;
    std::exception_ptr failure;  // a file error met under libpng
    char message[160] = {};      // libpng's reason for giving up
    png_uint_32 width = 0, height = 0;
    bool badSize = false;
    TTextureBitmap* bmp = nullptr;
    png_bytep* rows = nullptr;
};

void PngFail(png_structp png, png_const_charp msg)
{
    auto* r = static_cast<TPngRead*>(png_get_error_ptr(png));
    std::strncpy(r->message, msg, sizeof r->message - 1);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngReadData(png_structp png, png_bytep out, size_t n)
{
    auto* r = static_cast<TPngRead*>(png_get_io_ptr(png));
    try {
        r->reader->Read(out, n);
        return;
    } catch (...) {
        r->failure = std::current_exception();
    }
    png_error(png, "read failed");
}

// The pixel buffers are allocated between two libpng calls: an allocation
// failure is thrown from this frame, never through libpng's.
void AllocatePng(TPngRead& r, std::vector<png_bytep>& rows)
{
    r.bmp->Width = int(r.width);
    r.bmp->Height = int(r.height);
    r.bmp->Pixels.resize(size_t(r.width) * r.height * 4);
    rows.resize(r.height);
    for (png_uint_32 y = 0; y < r.height; ++y) rows[y] = r.bmp->Pixels.data() + size_t(y) * r.width * 4;
    r.rows = rows.data();
}

// Runs libpng from the signature on; false when it gave up (r says why).
// Nothing in this frame needs destroying when libpng jumps back into it.
bool DecodePng(png_structp png, png_infop info, TPngRead& r, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    int depth = 0, colour = 0;
    png_get_IHDR(png, info, &r.width, &r.height, &depth, &colour, nullptr, nullptr, nullptr);
    if (r.width < 1 || r.height < 1 || r.width > MaxTextureSide || r.height > MaxTextureSide) {
        r.badSize = true;
        return false;
    }
    png_set_expand(png);  // palette to RGB, grey under 8 bits to 8, a tRNS chunk to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // opaque where the picture has no alpha
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(r.width) * 4) png_error(png, "unexpected pixel layout");
    AllocatePng(r, rows);
    png_read_image(png, r.rows);
    png_read_end(png, nullptr);  // the chunks after the pixels, their checksums included
    return true;
}

TTextureBitmap ReadPng(TFile& file, const std::string& path)
{
    // The sides stand in the first chunk: a hostile size is refused before
    // libpng reads on.
    uint8_t ihdr[16];
    file.Seek(8);
    if (file.ReadSome(ihdr, sizeof ihdr) == sizeof ihdr && std::memcmp(ihdr + 4, "IHDR", 4) == 0)
        CheckSides(path, LoadBE32(ihdr + 8), LoadBE32(ihdr + 12));
    file.Seek(8);
    TBufferedReader reader(file);
    TTextureBitmap bmp;
    std::vector<png_bytep> rows;
    TPngRead r;
    r.reader = &reader;
    r.bmp = &bmp;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, PngFail, PngWarning);
    if (!png) throw std::bad_alloc();
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw std::bad_alloc();
    }
    png_set_read_fn(png, &r, PngReadData);
    bool ok;
    try {
        ok = DecodePng(png, info, r, rows);
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (r.failure) std::rethrow_exception(r.failure);
    if (r.badSize) CheckSides(path, r.width, r.height);
    if (!ok) throw EImageError(path, std::string("not a readable PNG picture (") + r.message + ")");
    return bmp;
}

// ---- BMP ----

TTextureBitmap ReadBmp(TFile& file, const std::string& path)
{
    uint8_t h[54];
    file.Seek(0);
    if (file.ReadSome(h, sizeof h) != sizeof h) throw EImageError(path, "the BMP header is cut short");
    const uint32_t pixelsAt = LoadLE32(h + 10), infoSize = LoadLE32(h + 14);
    const auto width = int32_t(LoadLE32(h + 18)), height = int32_t(LoadLE32(h + 22));
    const unsigned planes = LoadLE16(h + 26), bits = LoadLE16(h + 28);
    if (infoSize < 40 || planes != 1 || (bits != 24 && bits != 32) || LoadLE32(h + 30) != 0)
        throw EImageError(path, "only uncompressed BMP pictures of 24 or 32 bits a pixel can be read");
    // A negative height stores the rows top to bottom.
    const int64_t rowsCount = height < 0 ? -int64_t(height) : height;
    CheckSides(path, width, rowsCount);
    const size_t bytesPerPixel = bits / 8;
    const size_t rowBytes = (size_t(width) * bytesPerPixel + 3) & ~size_t(3);
    if (pixelsAt < 14 + uint64_t(infoSize) || pixelsAt + uint64_t(rowBytes) * uint64_t(rowsCount) > file.Size())
        throw EImageError(path, "the BMP pixels are cut short");

    TTextureBitmap bmp;
    bmp.Width = width;
    bmp.Height = int(rowsCount);
    bmp.Pixels.resize(size_t(width) * size_t(rowsCount) * 4);
    std::vector<uint8_t> row(rowBytes);
    file.Seek(pixelsAt);
    for (int64_t fileRow = 0; fileRow < rowsCount; ++fileRow) {
        file.ReadExact(row.data(), rowBytes);
        const int64_t y = height < 0 ? fileRow : rowsCount - 1 - fileRow;
        uint8_t* out = bmp.Pixels.data() + size_t(y) * size_t(width) * 4;
        // The fourth byte of a 32-bit pixel is reserved, not alpha.
        for (size_t x = 0; x < size_t(width); ++x, out += 4) {
            std::memcpy(out, row.data() + x * bytesPerPixel, 3);
            out[3] = 255;
        }
    }
    return bmp;
}

}  // namespace

TTextureBitmap ReadImageFile(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    uint8_t magic[8] = {};
    const size_t got = file.ReadSome(magic, sizeof magic);
    if (got == sizeof magic && png_sig_cmp(magic, 0, 8) == 0) return ReadPng(file, path);
    if (got >= 2 && magic[0] == 'B' && magic[1] == 'M') return ReadBmp(file, path);
    throw EImageError(path, "neither a PNG nor a BMP picture");
}

}  // namespace korvane
