// PNG files read back through libpng's own reader, which shares nothing
// with the writer's code.
#pragma once

#include <png.h>

#include <string>
#include <vector>

struct TPngPicture {
    std::string error;          // empty when read
    int width = 0, height = 0;
    bool alpha = false;         // the file has an alpha channel
    std::vector<uint8_t> rgba;  // red, green, blue, alpha (255 without one)
    uint32_t Pixel(int x, int y) const  // 0xAARRGGBB
    {
        const uint8_t* p = rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
        return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
};

inline TPngPicture ReadPng(const std::string& bytes)
{
    TPngPicture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        pic.alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
        image.format = PNG_FORMAT_RGBA;
        pic.rgba.resize(PNG_IMAGE_SIZE(image));
        if (png_image_finish_read(&image, nullptr, pic.rgba.data(), 0, nullptr)) {
            pic.width = int(image.width);
            pic.height = int(image.height);
            return pic;
        }
    }
    pic.error = image.message[0] ? image.message : "unreadable";
    png_image_free(&image);
    return pic;
}
