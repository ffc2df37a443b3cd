#include "formats/txd/TextureExport.h"

#include "formats/picture/BmpWriter.h"
#include "formats/picture/PngWriter.h"

namespace korvane {

TTextureBitmap BuildTextureBitmapWithAlpha(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight,
                                           std::string_view bytesPath)
{
    TTextureBitmap colour = BuildTextureBitmap(bytes, t, reqWidth, reqHeight, dmColor, bytesPath);
    const TTextureBitmap mask = BuildTextureBitmap(bytes, t, reqWidth, reqHeight, dmMask, bytesPath);
    const bool fourBit = TextureEncoding(t) == TTextureEncoding::Dxt3;
    for (size_t i = 0; i < colour.Pixels.size(); i += 4) {
        const uint8_t a = mask.Pixels[i];
        colour.Pixels[i + 3] = fourBit ? uint8_t(a / 16 * 17) : a;
    }
    return colour;
}

void ExportTexture(TByteSpan bytes, const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode,
                   TPictureFormat format, const std::string& path, std::string_view bytesPath)
{
    if (format == TPictureFormat::Bmp) {
        WriteBmpFile(path, BuildTextureBitmap(bytes, t, reqWidth, reqHeight, mode, bytesPath));
    } else if (mode == dmColor && t.HasAlpha) {
        WritePngFile(path, BuildTextureBitmapWithAlpha(bytes, t, reqWidth, reqHeight, bytesPath), TPngChannels::Rgba);
    } else {
        WritePngFile(path, BuildTextureBitmap(bytes, t, reqWidth, reqHeight, mode, bytesPath), TPngChannels::Rgb);
    }
}

}  // namespace korvane
