#include "preview/PreviewDispatch.h"

#include <cstring>

namespace korvane {

std::string EntryExtension(std::string_view name)
{
    const size_t folder = name.find_last_of("\\:");
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (folder != std::string_view::npos && dot < folder)) return {};
    std::string ext(name.substr(dot));
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext;
}

uint64_t EntrySizeKB(TArchiveKind kind, const TArchiveEntry& e)
{
    if (IsSectorKind(kind)) return uint64_t(e.Size) * 2;
    return (uint64_t(e.Size) + 1023) / 1024;
}

std::string EntrySizeText(TArchiveKind kind, const TArchiveEntry& e, const TTextWords& words)
{
    return std::to_string(EntrySizeKB(kind, e)).append(" ").append(words.KB);
}

bool IsBinaryPlacement(const unsigned char* header) { return std::memcmp(header, "bnry", 4) == 0; }

}  // namespace korvane
