// libFuzzer target: the bytes as a picture file to put into a dictionary, and
// as a dictionary taken apart and put together again. Any input must end in a
// picture, in a dictionary whose parts join into exactly the bytes they were
// taken from, or in a clear error; never a crash or an unjustified allocation.
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzFile.h"
#include "base/Errors.h"
#include "formats/picture/ImageReader.h"
#include "formats/txd/TextureDictionaryEdit.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzFile fuzzFile(data, size);
    if (!fuzzFile.Ok()) return 0;
    try {
        ReadImageFile(fuzzFile.Path());
    } catch (const EImageError&) {
    } catch (const EInOutError&) {
    }
    try {
        TTextureDictionaryParts parts = ReadDictionaryParts(TByteSpan(data, size));
        const std::string joined = JoinDictionary(parts);
        if (joined.size() > size || std::memcmp(joined.data(), data, joined.size()) != 0) __builtin_trap();
        if (!parts.Textures.empty()) {
            RemoveTexture(parts, 0);
            JoinDictionary(parts);
        }
    } catch (const ETextureEditError&) {
    } catch (const EInOutError&) {
    }
    return 0;
}
