// libFuzzer target: the bytes are read as an animation package.
// Any input must end in animations or in a clear error, never a crash, a
// hang or an allocation the file's length cannot justify.
#include <cstdint>

#include "formats/ifp/Animation.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TAnimationPackage p;
    try {
        ReadAnimationPackage(TByteSpan(data, size), p);
    } catch (const EAnimationError&) {
    }
    // No animation and no bone is made of fewer than 32 bytes of its own:
    // nothing was made up beyond what the bytes hold.
    uint64_t bones = 0;
    for (const TAnimation& a : p.Animations) bones += a.Bones.size();
    if (32 * (p.Animations.size() + bones) > size) __builtin_trap();
    return 0;
}
