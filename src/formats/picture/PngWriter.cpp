#include "formats/picture/PngWriter.h"

#include <png.h>

#include <exception>
#include <stdexcept>

#include "base/FileIO.h"

namespace korvane {

namespace {

// What libpng's callbacks reach. libpng reports failures by longjmp, so no
// C++ exception may cross its frames: a failing write is caught here, kept,
// and raised again once libpng has unwound.
struct TPngOut {
    std::string* bytes = nullptr;  // to memory,
    TFile* file = nullptr;         // or to a file through `pending`
    std::string pending;
    std::exception_ptr failure;
    std::string message;  // libpng's own error
};

constexpr size_t FileChunk = 64 * 1024;

void OnError(png_structp png, png_const_charp message)
{
    static_cast<TPngOut*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t n)
{
    auto& out = *static_cast<TPngOut*>(png_get_io_ptr(png));
    try {
        if (out.bytes) {
            out.bytes->append(reinterpret_cast<const char*>(data), n);
        } else {
            out.pending.append(reinterpret_cast<const char*>(data), n);
            if (out.pending.size() >= FileChunk) {
                out.file->Write(out.pending.data(), out.pending.size());
                out.pending.clear();
            }
        }
        return;
    } catch (...) {
        out.failure = std::current_exception();
    }
    png_error(png, "write failed");
}

void OnFlush(png_structp) {}

// libpng over the rows; false when it failed. Nothing in this frame needs a
// destructor, as a failure returns to the setjmp past libpng's frames.
bool EncodeRows(png_structp png, png_infop info, const uint8_t* bgra, int width, int height, TPngChannels channels)
{
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 channels == TPngChannels::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The rows go in as they are: blue first, and without alpha the fourth
    // byte is a filler that libpng drops.
    png_set_bgr(png);
    if (channels == TPngChannels::Rgb) png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int y = 0; y < height; ++y) png_write_row(png, bgra + size_t(y) * size_t(width) * 4);
    png_write_end(png, nullptr);
    return true;
}

void CheckNotEmpty(int width, int height)
{
    if (width <= 0 || height <= 0) throw std::invalid_argument("PNG cannot hold an empty picture");
}

void Encode(TPngOut& out, const uint8_t* bgra, int width, int height, TPngChannels channels)
{
    CheckNotEmpty(width, height);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, OnError, OnWarning);
    if (!png) throw std::bad_alloc();
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw std::bad_alloc();
    }
    png_set_write_fn(png, &out, OnWrite, OnFlush);
    const bool ok = EncodeRows(png, info, bgra, width, height, channels);
    png_destroy_write_struct(&png, &info);
    if (ok) return;
    if (out.failure) std::rethrow_exception(out.failure);
    throw std::runtime_error("PNG: " + out.message);
}

}  // namespace

std::string PngBytes(const uint8_t* bgra, int width, int height, TPngChannels channels)
{
    std::string bytes;
    TPngOut out;
    out.bytes = &bytes;
    Encode(out, bgra, width, height, channels);
    return bytes;
}

void WritePngFile(const std::string& path, const uint8_t* bgra, int width, int height, TPngChannels channels)
{
    CheckNotEmpty(width, height);
    TFile file = TFile::Create(path);
    TPngOut out;
    out.file = &file;
    Encode(out, bgra, width, height, channels);
    file.Write(out.pending.data(), out.pending.size());
    file.Close();
}

}  // namespace korvane
