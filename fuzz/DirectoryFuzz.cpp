// libFuzzer target: the bytes are read as the directory of each archive kind.
// Any input must end in entries or in a clear error, never a crash, a hang or
// an allocation the file's length cannot justify.
#include <cstdint>

#include "FuzzFile.h"
#include "archive/ArchiveOpen.h"
#include "base/Errors.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzFile file(data, size);
    if (!file.Ok()) return 0;
    const std::string path = file.Path();
    for (TArchiveKind kind : {akImg, akSyb, akImgV2, akBig}) {
        try {
            const TRecArray entries = ReadDirectory({path, path, kind});
            for (const TArchiveEntry& e : entries)
                if (EntryName(e).size() > 511) __builtin_trap();
        } catch (const EInOutError&) {
        } catch (const EOutOfMemory&) {
        }
    }
    return 0;
}
