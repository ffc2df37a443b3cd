#include "preview/TextureDictionaryEdit.h"

#include <cerrno>
#include <cstdlib>
#include <unistd.h>

#include "archive/ByteOrder.h"
#include "archive/EntryOps.h"
#include "archive/Errors.h"
#include "archive/FileReplace.h"
#include "archive/NameCodec.h"
#include "preview/ImageReader.h"
#include "preview/SectionWalk.h"

namespace korvane {

namespace {

// Far above any real dictionary; a stated size past it is refused before
// anything is allocated for it.
constexpr uint64_t kMaxDictionaryBytes = 1ull << 30;

// The new dictionary as a file of its own for the entry operations, removed
// again whatever happens.
class TScratchCopy {
public:
    explicit TScratchCopy(const std::string& bytes)
    {
        const char* tmp = std::getenv("TMPDIR");
        const std::string folder = tmp && *tmp ? tmp : "/tmp";
        std::string pattern = folder + "/korvane-txd-XXXXXX";
        FileOpPoint(foOpen);
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) RaiseIoErrno(errno, folder);
        path_ = pattern;
        try {
            if (::close(fd) != 0) RaiseIoErrno(errno, path_);
            TFile file = TFile::OpenReadWrite(path_);
            file.Write(bytes.data(), bytes.size());
            file.Close();
        } catch (...) {
            DiscardFile(path_);
            throw;
        }
    }
    ~TScratchCopy() { DiscardFile(path_); }
    TScratchCopy(const TScratchCopy&) = delete;
    TScratchCopy& operator=(const TScratchCopy&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

size_t TextureNamed(const TTextureDictionaryParts& parts, const std::string& name)
{
    if (const std::optional<size_t> i = FindTexture(parts, name)) return *i;
    throw ETextureEditError("No texture named \"" + Cp1251ToUtf8(name) + "\" in the dictionary");
}

}  // namespace

TTextureDictionaryParts ReadDictionaryParts(TFile& file, uint64_t start, uint64_t length)
{
    const uint64_t size = file.Size();
    const uint64_t end = start + std::min(length, size > start ? size - start : 0);
    uint64_t pos = start;
    TSectionHeader h;
    for (;;) {
        if (end - pos < 12) throw ETextureEditError("No texture dictionary in the data");
        uint8_t raw[12];
        file.Seek(pos);
        file.ReadExact(raw, sizeof raw);
        h.Id = LoadLE32(raw);
        h.Size = LoadLE32(raw + 4);
        if (h.Size > end - pos - 12) throw ETextureEditError("The texture dictionary runs past the end of its data");
        if (h.Id == rwTextureDictionary) break;
        pos += 12 + uint64_t(h.Size);
    }
    const uint64_t total = pos + 12 + h.Size - start;
    if (total > kMaxDictionaryBytes) throw ETextureEditError("The texture dictionary is too large to change");
    std::string bytes(size_t(total), '\0');
    file.Seek(start);
    file.ReadExact(bytes.data(), bytes.size());
    return SplitDictionary(bytes, size_t(pos - start));
}

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
        parts = ReadDictionaryParts(archive, EntryBytePos(cat.ArchiveKind, entry), EntryByteLen(cat.ArchiveKind, entry));
        archive.Close();
    }
    TTextureChangeResult result = ApplyTextureChange(parts, change);
    const TScratchCopy copy(JoinDictionary(parts));
    // Never over the old dictionary: a failure part-way leaves it whole.
    ReplaceEntryDataAtEnd(cat, index, copy.Path());
    return result;
}

TTextureChangeResult ChangeTextureInFile(const std::string& path, const TTextureChange& change)
{
    TTextureDictionaryParts parts;
    {
        TFile file = TFile::OpenReadWrite(path);
        parts = ReadDictionaryParts(file, 0, file.Size());
        file.Close();
    }
    TTextureChangeResult result = ApplyTextureChange(parts, change);
    ReplaceFileContents(path, JoinDictionary(parts));
    return result;
}

}  // namespace korvane
