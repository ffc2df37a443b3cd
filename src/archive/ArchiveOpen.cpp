#include "archive/ArchiveOpen.h"

#include <cmath>
#include <cstring>
#include <dirent.h>
#include <numeric>

#include "archive/SectorDirectory.h"
#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

constexpr size_t kMaxName = sizeof(TArchiveEntry::Name) - 1;

size_t ExtensionStart(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

std::string AsciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// Archives come from systems whose file names ignore letter case: when the
// exact name is missing, a name in the same folder that differs only in the
// case of ASCII letters is the file meant.
std::string FindIgnoringCase(const std::string& path)
{
    if (FileExists(path)) return path;
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::string wanted = AsciiLower(path.substr(slash == std::string::npos ? 0 : slash + 1));
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return path;
    std::string found;
    while (dirent* d = ::readdir(dir)) {
        if (AsciiLower(d->d_name) != wanted) continue;
        std::string candidate = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + d->d_name;
        if (FileExists(candidate) && (found.empty() || candidate < found)) found = candidate;
    }
    ::closedir(dir);
    return found.empty() ? path : found;
}

void CheckEntryCount(uint64_t n)
{
    if (n > MaxDirectoryEntries) throw EOutOfMemory();
}

uint32_t ReadHeaderValue(TFile& file, uint64_t pos, bool bigEndian)
{
    uint8_t raw[4];
    file.Seek(pos);
    file.ReadExact(raw, sizeof raw);
    return bigEndian ? LoadBE32(raw) : LoadLE32(raw);
}

// Reads a zero-terminated name, keeping at most 511 characters; returns its
// length in the file including the zero.
uint32_t ReadZeroTerminated(TBufferedReader& in, char* name)
{
    uint32_t n = 0;
    for (;;) {
        uint8_t c = in.ReadByte();
        ++n;
        if (c == 0) return n;
        if (name && n <= kMaxName) name[n - 1] = char(c);
    }
}

// VXBG: names with sizes; data back to back after the directory.
TRecArray ReadSyb(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    const uint32_t end = ReadHeaderValue(file, 4, false) + 8u;  // 32-bit arithmetic, as stored archives expect
    if (end > file.Size()) RaiseReadBeyondEof(path);

    // First pass counts the records, so the catalogue is sized once and a
    // broken directory fails before anything is allocated.
    TBufferedReader in(file);
    in.Seek(8);
    uint64_t count = 0;
    for (uint64_t p = 8; p < end; ++count) {
        p += ReadZeroTerminated(in, nullptr);
        in.ReadLE32();
        p += 4;
    }
    CheckEntryCount(count);

    TRecArray entries(count);
    in.Seek(8);
    uint32_t data = end;
    for (TArchiveEntry& e : entries) {
        ReadZeroTerminated(in, e.Name);
        e.Size = in.ReadLE32();
        e.Offset = data;
        data += e.Size;
    }
    return entries;
}

// BIGF: big-endian offsets and sizes, then the name.
TRecArray ReadBig(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    const uint32_t end = ReadHeaderValue(file, 12, true) - 8u;
    if (end > file.Size()) RaiseReadBeyondEof(path);

    TBufferedReader in(file);
    in.Seek(16);
    uint64_t count = 0;
    for (uint64_t p = 16; p < end; ++count) {
        in.ReadBE32();
        in.ReadBE32();
        p += 8 + ReadZeroTerminated(in, nullptr);
    }
    CheckEntryCount(count);

    TRecArray entries(count);
    in.Seek(16);
    for (TArchiveEntry& e : entries) {
        e.Offset = in.ReadBE32();
        e.Size = in.ReadBE32();
        ReadZeroTerminated(in, e.Name);
    }
    return entries;
}

}  // namespace

std::string WithExtension(const std::string& path, const char* ext)
{
    size_t dot = ExtensionStart(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

TArchiveKind DetectArchiveKind(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    char magic[4] = {};
    if (file.ReadSome(magic, 4) < 4) return akImg;
    if (std::memcmp(magic, "VXBG", 4) == 0) return akSyb;
    if (std::memcmp(magic, "VER2", 4) == 0) return akImgV2;
    // Later games of the same engine write the same layout under "BIG4".
    if (std::memcmp(magic, "BIGF", 4) == 0 || std::memcmp(magic, "BIG4", 4) == 0) return akBig;
    return akImg;
}

std::string ArchivePathFor(const std::string& path)
{
    size_t dot = ExtensionStart(path);
    if (dot == std::string::npos || AsciiLower(path.substr(dot)) != ".dir") return path;
    return FindIgnoringCase(WithExtension(path, ".img"));
}

std::string DirPathFor(const std::string& archivePath)
{
    return FindIgnoringCase(WithExtension(archivePath, ".dir"));
}

TArchiveLocation LocateArchive(const std::string& path)
{
    TArchiveLocation where;
    where.ArchivePath = ArchivePathFor(path);
    where.DirPath = DirPathFor(where.ArchivePath);
    where.Kind = DetectArchiveKind(where.ArchivePath);
    if (where.Kind == akImgV2 || where.Kind == akBig) where.DirPath = where.ArchivePath;
    return where;
}

TRecArray ReadDirectory(const TArchiveLocation& where)
{
    switch (where.Kind) {
    case akImg:
        return ReadImgDir(where.DirPath);
    case akImgV2:
        return ReadVer2Dir(where.ArchivePath);
    case akSyb:
        return ReadSyb(where.ArchivePath);
    case akBig:
        return ReadBig(where.ArchivePath);
    }
    return {};
}

Catalogue OpenCatalogue(const TArchiveLocation& where)
{
    Catalogue cat;
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    return cat;
}

Catalogue OpenCatalogue(const std::string& path) { return OpenCatalogue(LocateArchive(path)); }

int LoadPercent(uint32_t i, uint32_t n)
{
    if (n <= 1) return 100;  // a single entry is the whole archive
    // Computed in floating point, narrowed to single precision, rounded half to even.
    float p = float(double(i) / (double(n - 1) / 100.0));
    return int(std::nearbyint(p));
}

}  // namespace korvane
