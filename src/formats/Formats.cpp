#include "formats/Formats.h"

#include <cstring>

#include "base/NameCodec.h"
#include "formats/col/Collision.h"
#include "formats/ifp/Animation.h"
#include "formats/ipl/Placement.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"

namespace korvane {

namespace {

template <uint32_t Id>
bool StartsWithSection(TByteSpan bytes)
{
    return TSectionCursor(bytes).StartsWithin(0, bytes.size(), Id);
}

bool StartsAsBinaryPlacement(TByteSpan bytes) { return bytes.size() >= 4 && std::memcmp(bytes.data(), "bnry", 4) == 0; }

constexpr std::string_view kTxd[] = {".TXD"}, kDff[] = {".DFF"}, kIpl[] = {".IPL"}, kCol[] = {".COL"},
                           kIfp[] = {".IFP"};

// Only binary placement files get a preview among the ".ipl" entries (the
// text ones open in an editor), so the pane looks at their first bytes: the
// header the page then reads the placements by.
constexpr TFormat kFormats[] = {
    {TFormatKind::TextureDictionary, "texture dictionary", kTxd, 0, StartsWithSection<rwTextureDictionary>},
    {TFormatKind::Model, "model", kDff, 0, StartsWithSection<rwClump>},
    {TFormatKind::Placement, "binary placement file", kIpl, IplHeaderSize, StartsAsBinaryPlacement},
    {TFormatKind::Collision, "collision model", kCol, 0, IsCollisionFile},
    {TFormatKind::Animation, "animation package", kIfp, 0, IsAnimationPackage},
};

constexpr bool RowsInKindOrder()
{
    for (size_t i = 0; i < std::size(kFormats); ++i)
        if (size_t(kFormats[i].Kind) != i) return false;
    return true;
}
static_assert(RowsInKindOrder(), "FormatOf finds a row by its kind's number");

}  // namespace

std::span<const TFormat> Formats() { return kFormats; }

const TFormat& FormatOf(TFormatKind kind) { return kFormats[size_t(kind)]; }

std::string EntryExtension(std::string_view name)
{
    std::string ext = FileNameExtension(name);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext;
}

const TFormat* FormatByName(std::string_view name)
{
    const std::string ext = EntryExtension(name);
    if (ext.empty()) return nullptr;
    for (const TFormat& f : kFormats)
        for (std::string_view e : f.Extensions)
            if (e == ext) return &f;
    return nullptr;
}

}  // namespace korvane
