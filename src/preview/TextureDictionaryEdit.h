// Replacing, adding and removing one texture of a dictionary that lies in an
// archive entry or in a file of its own, from a PNG or BMP picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive/Catalogue.h"
#include "preview/TextureDictionaryWriter.h"

namespace korvane {

// The dictionary the reader finds from the first byte of `bytes` on (an
// entry's or a file's bytes), taken apart; every section it walks must lie
// within them.
TTextureDictionaryParts ReadDictionaryParts(TByteSpan bytes);

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

// The change made to the dictionary in entry `index` of a ".img" or VER2
// archive. The new dictionary is appended to the archive and the entry's own
// record then points at it (it keeps its name, index and row); the old one
// stays as unused space. Nothing is written when the picture or the change is
// refused. The entry number, the kind and the files are checked by the
// operation (ops/TextureOps.h) before the picture is read and encoded.
TTextureChangeResult ChangeTextureInEntry(Catalogue& cat, uint32_t index, const TTextureChange& change);

// The change made to a dictionary file, replaced whole by a rename once the
// new one is written.
TTextureChangeResult ChangeTextureInFile(const std::string& path, const TTextureChange& change);

}  // namespace korvane
