#include "preview/TextureDictionaryEdit.h"

#include <algorithm>

#include "archive/EntryBytes.h"
#include "archive/EntryOps.h"
#include "archive/Errors.h"
#include "archive/FileReplace.h"
#include "archive/NameCodec.h"
#include "preview/ImageReader.h"
#include "rw/SectionIds.h"

namespace korvane {

namespace {

// Far above any real dictionary; a dictionary past it is refused before
// anything is allocated for it.
constexpr uint64_t kMaxDictionaryBytes = 1ull << 30;

size_t TextureNamed(const TTextureDictionaryParts& parts, const std::string& name)
{
    if (const std::optional<size_t> i = FindTexture(parts, name)) return *i;
    throw ETextureEditError("No texture named \"" + Cp1251ToUtf8(name) + "\" in the dictionary");
}

}  // namespace

TTextureDictionaryParts ReadDictionaryParts(TByteSpan bytes)
{
    const TSectionCursor in(bytes);
    uint64_t pos = 0;
    TSection dict;
    for (;;) {
        bool fits = false;
        if (!in.SectionAt(pos, bytes.size(), dict, fits)) throw ETextureEditError("No texture dictionary in the data");
        if (!fits) throw ETextureEditError("The texture dictionary runs past the end of its data");
        if (dict.Header.Id == rwTextureDictionary) break;
        pos = dict.End;
    }
    if (dict.End > kMaxDictionaryBytes) throw ETextureEditError("The texture dictionary is too large to change");
    return SplitDictionary(bytes.first(size_t(dict.End)), size_t(pos));
}

namespace {

// The bytes of a dictionary to change: refused as too large before they are read.
TEntryBytes ReadDictionaryBytes(TFile& file, uint64_t pos, uint64_t len)
{
    const uint64_t size = file.Size();
    if (pos < size && std::min(len, size - pos) > kMaxDictionaryBytes)
        throw ETextureEditError("The texture dictionary is too large to change");
    return ReadBytesAt(file, pos, len);
}

}  // namespace

TTextureChangeResult ApplyTextureChange(TTextureDictionaryParts& parts, const TTextureChange& change)
{
    TTextureChangeResult result;
    TTextureEdit edit;
    switch (change.Kind) {
    case TTextureChangeKind::Remove:
        result.TextureIndex = TextureNamed(parts, change.Texture);
        result.Texture = parts.Textures[result.TextureIndex].Info.Name;
        RemoveTexture(parts, result.TextureIndex);
        return result;
    case TTextureChangeKind::Replace: {
        const size_t index = TextureNamed(parts, change.Texture);
        edit = ReplaceTexture(parts, index, ReadImageFile(change.PicturePath), change.PicturePath);
        break;
    }
    case TTextureChangeKind::Add: {
        const std::string name = change.Texture.empty() ? TextureNameFromPath(change.PicturePath) : change.Texture;
        edit = AddTexture(parts, ReadImageFile(change.PicturePath), change.PicturePath, name, change.Encoding);
        break;
    }
    }
    result.TextureIndex = edit.Index;
    result.Texture = parts.Textures[edit.Index].Info.Name;
    result.Dxt3ForAlpha = edit.Dxt3ForAlpha;
    return result;
}

TTextureChangeResult ChangeTextureInEntry(Catalogue& cat, uint32_t index, const TTextureChange& change)
{
    const TArchiveEntry entry = cat.Entries[index];
    TTextureDictionaryParts parts;
    {
        TFile archive = TFile::OpenReadOnly(cat.ArchivePath);
        const TEntryBytes bytes =
            ReadDictionaryBytes(archive, EntryBytePos(cat.ArchiveKind, entry), EntryByteLen(cat.ArchiveKind, entry));
        archive.Close();
        parts = ReadDictionaryParts(bytes.Bytes);
    }
    TTextureChangeResult result = ApplyTextureChange(parts, change);
    // Never over the old dictionary: a failure part-way leaves it whole.
    ReplaceEntryDataAtEnd(cat, index, AsBytes(JoinDictionary(parts)));
    return result;
}

TTextureChangeResult ChangeTextureInFile(const std::string& path, const TTextureChange& change)
{
    TTextureDictionaryParts parts;
    {
        TFile file = TFile::OpenReadWrite(path);
        const TEntryBytes bytes = ReadDictionaryBytes(file, 0, UINT64_MAX);
        file.Close();
        parts = ReadDictionaryParts(bytes.Bytes);
    }
    TTextureChangeResult result = ApplyTextureChange(parts, change);
    ReplaceFileContents(path, JoinDictionary(parts));
    return result;
}

}  // namespace korvane
