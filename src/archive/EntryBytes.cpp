#include "archive/EntryBytes.h"

#include <algorithm>

#include "base/Errors.h"

namespace korvane {

TEntryBytes ReadBytesAt(TFile& file, uint64_t pos, uint64_t len)
{
    const uint64_t size = file.Size();
    const uint64_t present = pos < size ? std::min(len, size - pos) : 0;
    if (present > MaxEntryBytesInMemory) throw EOutOfMemory();
    TEntryBytes out;
    out.Path = file.Path();
    out.Bytes.resize(size_t(present));
    if (present) {
        file.Seek(pos);
        file.ReadExact(out.Bytes.data(), out.Bytes.size());
    }
    return out;
}

TEntryBytes ReadEntryBytes(const std::string& archivePath, TArchiveKind kind, const TArchiveEntry& entry)
{
    TFile file = TFile::OpenReadOnly(archivePath);
    TEntryBytes out = ReadBytesAt(file, EntryBytePos(kind, entry), EntryByteLen(kind, entry));
    file.Close();
    return out;
}

TEntryBytes ReadFileBytes(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    TEntryBytes out = ReadBytesAt(file, 0, UINT64_MAX);
    file.Close();
    return out;
}

}  // namespace korvane
