// The texture operations: one texture of a dictionary replaced, added or
// removed, and textures saved as pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveLock.h"
#include "archive/Catalogue.h"
#include "archive/EntryBytes.h"
#include "archive/EntryChanges.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "formats/txd/TextureDictionaryEdit.h"
#include "formats/txd/TextureExport.h"
#include "ops/ArchiveOps.h"

namespace korvane::ops {

// The change made to the dictionary in entry `index` of a ".img" or VER2
// archive, after the entry number, the kind and the files are checked and
// before the picture is read. The new dictionary is appended and the entry's
// record then points at it: it keeps its name, slot and row, and the old
// dictionary stays as unused space. Nothing is written when the picture or
// the change is refused.
TTextureChangeResult ChangeTexture(TLockedCatalogue& locked, uint32_t index, const TTextureChange& change,
                                   TEntryChanges& changes);
// The change made to a loose dictionary file, under the file's exclusive
// lock as an archive's changes are; the file is replaced whole by a rename
// once the new one is written.
TTextureChangeResult ChangeTexture(const std::string& path, const TTextureChange& change,
                                   const TLockWait& wait = {});

// One texture of the dictionary whose bytes are given (an entry's, or a
// loose file's), decoded in `mode` at its own size and written to `path`.
void ExportTexture(const TEntryBytes& bytes, const TTextureInfo& t, TDecodeMode mode, TPictureFormat format,
                   const std::string& path);

struct TTexturesExport {
    std::string Folder;  // created when missing
    TDecodeMode Mode = dmColor;
    int Width = 0, Height = 0;  // 0: each texture's own size
    TPictureFormat Format = TPictureFormat::Bmp;
};
// A texture passed over, and why ("unsupported pixel format", ...).
struct TSkippedTexture {
    std::string Name;  // Windows-1251
    std::string Reason;
};
// Every texture of the dictionary into the folder, as NAME.bmp (or .png; in
// mask mode MASKNAME, or NAME_mask when the mask name is empty), the name
// made safe as a file name. `skipped` is told of each texture passed over, in
// order, as the walk meets it.
void ExportTextures(const TEntryBytes& bytes, const std::vector<TTextureInfo>& textures, const TTexturesExport& how,
                    const std::function<void(const TSkippedTexture&)>& skipped);

}  // namespace korvane::ops
