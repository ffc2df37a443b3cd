// libFuzzer target: the bytes are a binary placement file, converted from
// each of its first bytes. Any input must end in lines or in "Read beyond end
// of file", never a crash, a hang or a line that breaks the text's shape.
#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "formats/ipl/Placement.h"

using namespace korvane;

namespace {

struct TCheckingSink : TPlacementSink {
    void Line(std::string_view line) override
    {
        if (line.size() > 12 * (FloatTextMax + 2)) __builtin_trap();
        ++lines;
    }
    uint64_t lines = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzFile fuzzFile(data, size);
    if (!fuzzFile.Ok()) return 0;
    const std::string path = fuzzFile.Path();
    for (uint64_t start = 0; start < 4 && start < size; ++start) {
        try {
            TFile file = TFile::OpenReadWrite(path);
            file.Seek(start);
            unsigned char header[IplHeaderSize];
            file.ReadExact(header, sizeof header);
            TCheckingSink sink;
            ConvertPlacement(file, start, ParseIplHeader(header), "fuzz.ipl", sink);
            if (sink.lines < 22) __builtin_trap();
        } catch (const EInOutError&) {
        }
    }
    return 0;
}
