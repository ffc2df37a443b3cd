// libFuzzer target: the bytes are read as the directory of each archive kind.
// Any input must end in entries or in a clear error, never a crash, a hang or
// an allocation the file's length cannot justify.
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/Errors.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = ::memfd_create("korvane-fuzz", 0);
    if (fd < 0) return 0;
    if (::write(fd, data, size) != ssize_t(size)) {
        ::close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    for (TArchiveKind kind : {akImg, akSyb, akImgV2, akBig}) {
        try {
            const TRecArray entries = ReadDirectory({path, path, kind});
            for (const TArchiveEntry& e : entries)
                if (EntryName(e).size() > 511) __builtin_trap();
        } catch (const EInOutError&) {
        } catch (const EOutOfMemory&) {
        }
    }
    ::close(fd);
    return 0;
}
