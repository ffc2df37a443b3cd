#include "preview/TextureExport.h"

#include "preview/BmpWriter.h"
#include "preview/PngWriter.h"

namespace korvane {

TTextureBitmap BuildTextureBitmapWithAlpha(TFile& file, const TTextureInfo& t, int reqWidth, int reqHeight)
{
    TTextureBitmap colour = BuildTextureBitmap(file, t, reqWidth, reqHeight, dmColor);
    const TTextureBitmap mask = BuildTextureBitmap(file, t, reqWidth, reqHeight, dmMask);
    const bool fourBit = TextureEncoding(t) == TTextureEncoding::Dxt3;
    for (size_t i = 0; i < colour.Pixels.size(); i += 4) {
        const uint8_t a = mask.Pixels[i];
        colour.Pixels[i + 3] = fourBit ? uint8_t(a / 16 * 17) : a;
    }
    return colour;
}

void ExportTexture(TFile& file, const TTextureInfo& t, int reqWidth, int reqHeight, TDecodeMode mode,
                   TPictureFormat format, const std::string& path)
{
    if (format == TPictureFormat::Bmp) {
        WriteBmpFile(path, BuildTextureBitmap(file, t, reqWidth, reqHeight, mode));
    } else if (mode == dmColor && t.HasAlpha) {
        WritePngFile(path, BuildTextureBitmapWithAlpha(file, t, reqWidth, reqHeight), TPngChannels::Rgba);
    } else {
        WritePngFile(path, BuildTextureBitmap(file, t, reqWidth, reqHeight, mode), TPngChannels::Rgb);
    }
}

}  // namespace korvane
