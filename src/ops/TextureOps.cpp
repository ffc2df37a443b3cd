#include "ops/TextureOps.h"

#include <algorithm>
#include <filesystem>

#include "archive/EntryOps.h"
#include "archive/FileReplace.h"
#include "base/NameCodec.h"
#include "ops/ArchiveOps.h"
#include "ops/Writability.h"

namespace korvane::ops {

namespace {

// A texture name as a file name inside the export folder: UTF-8, and never a
// path that leaves the folder.
std::string FileNameFor(const std::string& raw)
{
    std::string name = Cp1251ToUtf8(raw);
    std::replace(name.begin(), name.end(), '/', '_');
    if (name.empty() || name == "." || name == "..") name = "_" + name;
    return name;
}

// The bytes of a dictionary to change: refused as too large before they are read.
TEntryBytes ReadDictionaryBytes(TFile& file, uint64_t pos, uint64_t len)
{
    const uint64_t size = file.Size();
    if (pos < size && std::min(len, size - pos) > MaxDictionaryBytes)
        throw ETextureEditError("The texture dictionary is too large to change");
    return ReadBytesAt(file, pos, len);
}

// The new dictionary is appended to the archive and the entry's own record
// then points at it (it keeps its name, index and row); the old one stays as
// unused space.
TTextureChangeResult ChangeTextureInEntry(TLockedCatalogue& locked, uint32_t index, const TTextureChange& change,
                                          TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
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
    TArchiveChange written(cat);
    if (locked.Image) written.KeepImage(locked.Image);
    ReplaceEntryDataAtEnd(written, index, AsBytes(JoinDictionary(parts)));
    written.Steps().Add(TEntryChange::Changed(index));
    written.Commit(changes);
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

}  // namespace

TTextureChangeResult ChangeTexture(TLockedCatalogue& locked, uint32_t index, const TTextureChange& change,
                                   TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    // Refused before the picture is read and encoded.
    CheckEntryIndex(cat, index);
    CheckChangeableKind(cat);
    ProbeWritable(cat);
    return ChangeTextureInEntry(locked, index, change, changes);
}

TTextureChangeResult ChangeTexture(const std::string& path, const TTextureChange& change, const TLockWait& wait)
{
    const TArchiveLock lock = TArchiveLock::Acquire(path, TLockMode::lmExclusive, wait);
    return ChangeTextureInFile(path, change);
}

void ExportTexture(const TEntryBytes& bytes, const TTextureInfo& t, TDecodeMode mode, TPictureFormat format,
                   const std::string& path)
{
    korvane::ExportTexture(bytes.Bytes, t, t.Width, t.Height, mode, format, path, bytes.Path);
}

void ExportTextures(const TEntryBytes& bytes, const std::vector<TTextureInfo>& textures, const TTexturesExport& how,
                    const std::function<void(const TSkippedTexture&)>& skipped)
{
    std::filesystem::create_directories(how.Folder);
    const std::string ext = how.Format == TPictureFormat::Png ? ".png" : ".bmp";
    for (const TTextureInfo& t : textures) {
        if (TextureEncoding(t) == TTextureEncoding::Unsupported) {
            skipped({t.Name, "unsupported pixel format"});
            continue;
        }
        std::string name;
        if (how.Mode == dmMask)
            name = t.MaskName.empty() ? FileNameFor(t.Name) + "_mask" : FileNameFor(t.MaskName);
        else
            name = FileNameFor(t.Name);
        const int width = how.Width ? how.Width : t.Width, height = how.Height ? how.Height : t.Height;
        if (how.Format == TPictureFormat::Png && (width == 0 || height == 0)) {
            skipped({t.Name, "a PNG file cannot be empty"});
            continue;
        }
        korvane::ExportTexture(bytes.Bytes, t, width, height, how.Mode, how.Format, how.Folder + "/" + name + ext,
                               bytes.Path);
    }
}

}  // namespace korvane::ops
