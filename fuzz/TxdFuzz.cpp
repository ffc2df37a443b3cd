// libFuzzer target: the bytes are read as a texture dictionary and every
// texture is decoded at full size (when small) and as a thumbnail, in each
// mode. Any input must end in pictures or in a clear error, never a crash, a
// read outside the data or an allocation the file cannot justify.
#include <cstdint>
#include <string>

#include "base/Errors.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The previews parse an entry read once into memory: so does the fuzzer.
    const TByteSpan bytes(data, size);
    try {
        TSectionCursor in(bytes);
        const std::vector<TTextureInfo> textures = ReadTextureDictionary(in);
        for (const TTextureInfo& t : textures)
            for (TDecodeMode mode : {dmColor, dmMask, dmComposite}) {
                try {
                    BuildTextureBitmap(bytes, t, 48, 48, mode);
                    if (uint32_t(t.Width) * t.Height <= 256 * 256) BuildTextureBitmap(bytes, t, t.Width, t.Height, mode);
                } catch (const EInOutError&) {
                }
            }
    } catch (const EInOutError&) {
    }
    return 0;
}
