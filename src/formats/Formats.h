// The one table of the entry formats Korvane shows: which format an entry or
// file is. The window's preview pane chooses its page by it and every verb of
// korvane-cli checks its source by it; a new format is a row here.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "rw/SectionCursor.h"

namespace korvane {

enum class TFormatKind : uint8_t { TextureDictionary, Model, Placement, Collision, Animation };

struct TFormat {
    TFormatKind Kind;
    // What a source that is not of this format holds none of ("the file holds
    // no texture dictionary").
    std::string_view Name;
    // Upper case, with the dot; an entry is previewed as the format whose
    // extension its name has.
    std::span<const std::string_view> Extensions;
    // The first bytes the preview reads and checks with Starts before it
    // takes an entry of this extension; 0: the extension alone decides, and
    // a damaged entry is the page's to report.
    size_t PreviewHeaderSize;
    // Whether the bytes (the whole entry, or at least PreviewHeaderSize of it)
    // begin as this format; never raises.
    bool (*Starts)(TByteSpan bytes);
};

// Every row, in the order the preview pane stands its pages.
std::span<const TFormat> Formats();
const TFormat& FormatOf(TFormatKind kind);

// The part of a name from its last "." on (not before the last "\", "/" or
// ":"), the dot included, with a-z turned to A-Z; empty when there is none.
std::string EntryExtension(std::string_view name);

// The format whose extensions hold the name's extension; none when no row's
// does.
const TFormat* FormatByName(std::string_view name);

}  // namespace korvane
