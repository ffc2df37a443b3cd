#include "archive/ChangeJournal.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>

#include "archive/FileReplace.h"
#include "archive/Repack.h"
#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

// Layout, little-endian: the magic, a kind, the identity of the files, then
// the kind's body, then an FNV-1a hash of every byte before it. A journal cut
// short or never finished fails the hash.
constexpr char kMagic[8] = {'K', 'V', 'J', 'O', 'U', 'R', 'N', '1'};
constexpr uint32_t kRollback = 1;
constexpr uint32_t kSwap = 2;
constexpr size_t kChunk = 1u << 20;
constexpr uint64_t kFnvStart = 0xcbf29ce484222325ull;

uint64_t Fnv(uint64_t h, const void* data, size_t n)
{
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

uint64_t SizeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string Beside(const std::string& journal, const std::string& name) { return FolderOf(journal) + "/" + name; }

// Writes the journal through a running hash.
class TJournalWriter {
public:
    explicit TJournalWriter(const std::string& path) : path_(path), file_(CreateFresh(path)) {}
    void Put(const void* data, size_t n)
    {
        hash_ = Fnv(hash_, data, n);
        buffer_.append(static_cast<const char*>(data), n);
        if (buffer_.size() >= kChunk) Flush();
    }
    void Put32(uint32_t v)
    {
        uint8_t b[4];
        StoreLE32(b, v);
        Put(b, 4);
    }
    void Put64(uint64_t v)
    {
        Put32(uint32_t(v));
        Put32(uint32_t(v >> 32));
    }
    void PutName(const std::string& name)
    {
        Put32(uint32_t(name.size()));
        Put(name.data(), name.size());
    }
    void Finish()
    {
        uint8_t b[8];
        StoreLE32(b, uint32_t(hash_));
        StoreLE32(b + 4, uint32_t(hash_ >> 32));
        buffer_.append(reinterpret_cast<const char*>(b), 8);
        Flush();
        file_.Sync();
        file_.Close();
        SyncFolder(FolderOf(path_));
    }

private:
    void Flush()
    {
        file_.Write(buffer_.data(), buffer_.size());
        buffer_.clear();
    }
    std::string path_;
    TFile file_;
    std::string buffer_;
    uint64_t hash_ = kFnvStart;
};

// Reads a journal whose hash has been checked; every length is checked
// against what is left of it, so a damaged one raises, never allocates.
class TJournalReader {
public:
    TJournalReader(TFile& file, uint64_t end) : file_(file), end_(end) {}
    void Get(void* data, size_t n)
    {
        if (n > end_ - file_.Position()) RaiseReadBeyondEof(file_.Path());
        file_.ReadExact(data, n);
    }
    uint32_t Get32()
    {
        uint8_t b[4];
        Get(b, 4);
        return LoadLE32(b);
    }
    uint64_t Get64()
    {
        const uint64_t lo = Get32();
        return lo | uint64_t(Get32()) << 32;
    }
    std::string GetName()
    {
        const uint32_t n = Get32();
        if (n > 4096) RaiseReadBeyondEof(file_.Path());
        std::string s(n, '\0');
        Get(s.data(), n);
        if (s.empty() || s.find('/') != std::string::npos || s == "." || s == "..") RaiseReadBeyondEof(file_.Path());
        return s;
    }
    uint64_t Left() const { return end_ - file_.Position(); }

private:
    TFile& file_;
    uint64_t end_;
};

// True when the journal is whole: its last 8 bytes are the hash of the rest.
bool Complete(TFile& file)
{
    const uint64_t size = file.Size();
    if (size < sizeof kMagic + 8) return false;
    std::string buf(kChunk, '\0');
    uint64_t h = kFnvStart;
    file.Seek(0);
    for (uint64_t left = size - 8; left > 0;) {
        const size_t n = size_t(std::min<uint64_t>(left, buf.size()));
        file.ReadExact(buf.data(), n);
        h = Fnv(h, buf.data(), n);
        left -= n;
    }
    uint8_t b[8];
    file.ReadExact(b, 8);
    return (uint64_t(LoadLE32(b)) | uint64_t(LoadLE32(b + 4)) << 32) == h;
}

// The recorded bytes go back over the ranges; then the lengths the files had.
// Writing them twice does no harm, so a cut during this is rolled back again.
void RollBack(TJournalReader& in, const TArchiveLocation& where, bool twoFiles)
{
    const uint64_t archiveSize = in.Get64(), archiveBefore = in.Get64(), dirBefore = in.Get64();
    const uint64_t nowSize = SizeOf(where.ArchivePath);
    // The length names the archive: a change never alters it once the
    // journal is written, and a roll back cut short leaves the old one. A
    // journal beside an archive of another length is not this archive's.
    // (Not the inode: a copy of the folder, as backup tools make, must still
    // be rolled back.)
    if (nowSize != archiveSize && nowSize != archiveBefore) return;
    TFile archive = TFile::OpenReadWrite(where.ArchivePath);
    std::optional<TFile> dir;
    if (twoFiles) dir.emplace(TFile::OpenReadWrite(where.DirPath));
    std::string buf(kChunk, '\0');
    for (uint32_t count = in.Get32(); count > 0; --count) {
        uint8_t file;
        in.Get(&file, 1);
        const uint64_t pos = in.Get64(), len = in.Get64();
        if (file > (twoFiles ? 1 : 0) || len > in.Left() || pos > UINT64_MAX - len) RaiseReadBeyondEof(where.ArchivePath);
        TFile& to = file == 0 ? archive : *dir;
        to.Seek(pos);
        for (uint64_t left = len; left > 0;) {
            const size_t n = size_t(std::min<uint64_t>(left, buf.size()));
            in.Get(buf.data(), n);
            to.Write(buf.data(), n);
            left -= n;
        }
    }
    // The bytes first, then the lengths: a cut in between leaves the
    // journal's identity intact, so it is rolled back again.
    archive.Sync();
    if (dir) dir->Sync();
    archive.Truncate(archiveBefore);
    archive.Sync();
    archive.Close();
    if (dir) {
        dir->Truncate(dirBefore);
        dir->Sync();
        dir->Close();
    }
}

// Renames whichever new file has not reached its place yet. The new files
// are known by their lengths, which the renames keep.
void FinishSwap(TJournalReader& in, const TArchiveLocation& where, const std::string& journal)
{
    const std::string newArchive = Beside(journal, in.GetName());
    const std::string newDir = Beside(journal, in.GetName());
    const std::string backup = Beside(journal, in.GetName());
    const uint64_t archiveSize = in.Get64(), dirSize = in.Get64();
    auto present = [](const std::string& path, uint64_t size) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && uint64_t(st.st_size) == size;
    };
    const bool archiveWaits = present(newArchive, archiveSize), dirWaits = present(newDir, dirSize);
    if (!(archiveWaits || present(where.ArchivePath, archiveSize)) || !(dirWaits || present(where.DirPath, dirSize)))
        return;  // not this archive's swap
    if (dirWaits) RenameFile(newDir, where.DirPath);
    if (archiveWaits) RenameFile(newArchive, where.ArchivePath);
    SyncFolder(FolderOf(where.ArchivePath));
    DiscardFile(backup);
}

}  // namespace

std::string JournalPathFor(const std::string& archivePath) { return RealPath(archivePath) + ".korvane-journal"; }

bool JournalPresent(const std::string& archivePath)
{
    struct stat st {};
    return ::lstat(JournalPathFor(archivePath).c_str(), &st) == 0;
}

std::string WriteRollbackJournal(const TJournalFiles& files, const std::vector<TJournalRange>& ranges,
                                 std::vector<std::string>* before)
{
    const std::string path = JournalPathFor(files.ArchivePath);
    TFile archive = TFile::OpenReadOnly(files.ArchivePath);
    std::optional<TFile> dir;
    if (!files.DirPath.empty()) dir.emplace(TFile::OpenReadOnly(files.DirPath));
    TJournalWriter out(path);
    try {
        out.Put(kMagic, sizeof kMagic);
        out.Put32(kRollback);
        out.Put64(files.ArchiveSize);
        out.Put64(files.ArchiveSizeBefore);
        out.Put64(files.DirSizeBefore);
        out.Put32(uint32_t(ranges.size()));
        std::string buf(kChunk, '\0');
        for (const TJournalRange& r : ranges) {
            TFile& from = r.File == 0 ? archive : *dir;
            const uint64_t size = from.Size();
            // Bytes past the end are not there to keep: the old length
            // recorded above cuts them off again.
            const uint64_t len = r.Pos < size ? std::min(r.Len, size - r.Pos) : 0;
            out.Put(&r.File, 1);
            out.Put64(r.Pos);
            out.Put64(len);
            from.Seek(r.Pos);
            if (before) before->emplace_back();
            for (uint64_t left = len; left > 0;) {
                const size_t n = size_t(std::min<uint64_t>(left, buf.size()));
                from.ReadExact(buf.data(), n);
                out.Put(buf.data(), n);
                if (before) before->back().append(buf.data(), n);
                left -= n;
            }
        }
        out.Finish();
    } catch (...) {
        DiscardFile(path);
        throw;
    }
    return path;
}

std::string WriteSwapJournal(const std::string& archivePath, const std::string& newArchive, const std::string& newDir,
                             const std::string& dirBackup)
{
    const std::string path = JournalPathFor(archivePath);
    TJournalWriter out(path);
    try {
        out.Put(kMagic, sizeof kMagic);
        out.Put32(kSwap);
        out.PutName(BaseName(newArchive));
        out.PutName(BaseName(newDir));
        out.PutName(BaseName(dirBackup));
        out.Put64(SizeOf(newArchive));
        out.Put64(SizeOf(newDir));
        out.Finish();
    } catch (...) {
        DiscardFile(path);
        throw;
    }
    return path;
}

void RemoveJournal(const std::string& journalPath)
{
    try {
        RemoveFile(journalPath);
    } catch (const EInOutError&) {
        try {
            TFile file = TFile::OpenReadWrite(journalPath);
            file.Truncate(0);
            file.Sync();
            file.Close();
        } catch (const EInOutError&) {
        }
        throw;
    }
}

void RecoverArchive(const TArchiveLocation& located)
{
    if (!JournalPresent(located.ArchivePath)) return;
    TArchiveLocation where = located;
    where.ArchivePath = RealPath(located.ArchivePath);
    if (where.Kind == akImg) where.DirPath = RealPath(located.DirPath);
    const std::string journal = JournalPathFor(where.ArchivePath);
    try {
        TFile file = TFile::OpenReadOnly(journal);
        if (Complete(file)) {
            file.Seek(0);
            TJournalReader in(file, file.Size() - 8);
            char magic[sizeof kMagic];
            in.Get(magic, sizeof magic);
            const uint32_t kind = in.Get32();
            if (std::memcmp(magic, kMagic, sizeof kMagic) == 0 && kind == kRollback)
                RollBack(in, where, where.Kind == akImg);
            else if (std::memcmp(magic, kMagic, sizeof kMagic) == 0 && kind == kSwap && where.Kind == akImg)
                FinishSwap(in, where, journal);
        }
        file.Close();
    } catch (const EInOutError& e) {
        throw EInOutError(e.ErrorCode,
                          "A change to the archive was cut off and must be undone before it is read: " +
                              std::string(e.what()),
                          journal);
    }
    // Rolled back, finished, unfinished or another file's: it has done all
    // it can. One that stays (a folder this user may not write) is harmless.
    DiscardFile(journal);
}

void RemoveRepackScratch(const TArchiveLocation& where) noexcept
{
    if (!IsSectorKind(where.Kind)) return;
    try {
        Catalogue cat;
        cat.ArchivePath = where.ArchivePath;
        cat.DirPath = where.DirPath;
        cat.ArchiveKind = where.Kind;
        const TRepackFiles files = RepackFilesFor(cat);
        for (const std::string* p : {&files.ArchiveTemp, &files.DirTemp, &files.DirBackup})
            if (!p->empty()) DiscardFile(*p);
    } catch (...) {
    }
}

}  // namespace korvane
