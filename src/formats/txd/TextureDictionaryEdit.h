// Replacing, adding and removing one texture of a dictionary in memory, from
// a PNG or BMP picture; ops/TextureOps.h writes the result into an archive
// entry or a dictionary file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "formats/txd/TextureDictionaryWriter.h"

namespace korvane {

// The dictionary the reader finds from the first byte of `bytes` on (an
// entry's or a file's bytes), taken apart; every section it walks must lie
// within them.
TTextureDictionaryParts ReadDictionaryParts(TByteSpan bytes);

// Far above any real dictionary; a dictionary past it is refused before
// anything is allocated for it.
inline constexpr uint64_t MaxDictionaryBytes = 1ull << 30;

enum class TTextureChangeKind : uint8_t { Replace, Add, Remove };

struct TTextureChange {
    TTextureChangeKind Kind = TTextureChangeKind::Replace;
    // Replace and Remove: the texture (ASCII letters in either case). Add: the
    // new texture's name, or empty for the picture's file name. Windows-1251.
    std::string Texture;
    std::string PicturePath;  // Replace and Add
    std::optional<TTextureEncoding> Encoding;  // Add: Dxt1, Dxt3, Dxt5 or Bgra32; none to choose by the picture
};

struct TTextureChangeResult {
    std::string Texture;      // the name of the texture changed (Windows-1251)
    size_t TextureIndex = 0;  // its row afterwards; Remove: the row it had
    bool Dxt3ForAlpha = false;  // a DXT1 texture became DXT3 for the picture's transparent pixels
};

// The change made to the parts in memory; raises before anything is
// changed when the picture cannot be read or the change is refused.
TTextureChangeResult ApplyTextureChange(TTextureDictionaryParts& parts, const TTextureChange& change);

}  // namespace korvane
