#include "archive/Repack.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/ChangeJournal.h"
#include "archive/FileReplace.h"
#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

constexpr size_t kRecordSize = 32;
constexpr size_t kNameFieldSize = 24;
constexpr uint64_t kHeaderAlign = 4096;
// Large enough that copying runs at the disk's pace; one buffer for the run.
constexpr size_t kBufferSize = 1u << 20;
// The most one kernel copy is asked for at once: small enough that the
// progress moves every percent or so of a large archive, large enough that
// the calls cost nothing beside the copying.
constexpr uint64_t kCopyPiece = uint64_t(64) << 20;

// The 32-byte directory record: Offset, Size, then the first 24 bytes of the
// name field as they stand.
void PutRecord(uint8_t* out, const TArchiveEntry& e, uint32_t offset)
{
    StoreLE32(out, offset);
    StoreLE32(out + 4, e.Size);
    std::memcpy(out + 8, e.Name, kNameFieldSize);
}

// Refuses up front a new archive the disk cannot hold, rather than failing
// after writing most of it.
void CheckFreeSpace(const std::string& folder, uint64_t needed)
{
    struct statvfs fs {};
    // Unknown, or a file system that reports no sizes: the writes will tell.
    if (::statvfs(folder.c_str(), &fs) != 0 || fs.f_blocks == 0) return;
    const uint64_t blocks = ::geteuid() == 0 ? fs.f_bfree : fs.f_bavail;
    if (blocks <= UINT64_MAX / std::max<uint64_t>(fs.f_frsize, 1) && blocks * fs.f_frsize < needed)
        throw EInOutError(ioDiskFull, "Disk full");
}

// Sequential writing of the new archive, reporting progress.
class TArchiveWriter {
public:
    TArchiveWriter(TFile& file, uint64_t total, const TRepackProgress& progress)
        : file_(file), total_(total), progress_(progress)
    {
        if (progress_) progress_(0, total_);
    }
    void Write(const void* data, size_t n)
    {
        file_.Write(data, n);
        done_ += n;
        StartWriteback();
        if (progress_) progress_(done_, total_);
    }
    // Up to n bytes from `from`'s position, by the kernel where it can;
    // returns the bytes copied, fewer only where `from` ends.
    uint64_t Copy(TFile& from, uint64_t n)
    {
        uint64_t copied = 0;
        while (copied < n) {
            // Pieces no larger than the progress needs to move smoothly.
            const uint64_t want = std::min(n - copied, kCopyPiece);
            const uint64_t got = CopyFileData(from, file_, want);
            copied += got;
            done_ += got;
            StartWriteback();
            if (progress_) progress_(done_, total_);
            if (got < want) break;
        }
        return copied;
    }
    uint64_t Written() const { return done_; }

private:
    // The disk takes the new archive while the rest is still being copied,
    // rather than all of it in the flush at the end.
    void StartWriteback()
    {
        if (done_ - startedUpTo_ < kCopyPiece) return;
        file_.StartWriteback(startedUpTo_, done_ - startedUpTo_);
        startedUpTo_ = done_;
    }
    TFile& file_;
    uint64_t done_ = 0;
    uint64_t startedUpTo_ = 0;
    uint64_t total_;
    const TRepackProgress& progress_;
};

void WriteVer2Directory(TArchiveWriter& out, const TRecArray& entries, const TRepackLayout& layout,
                        std::vector<uint8_t>& buf)
{
    uint8_t head[8];
    std::memcpy(head, "VER2", 4);
    StoreLE32(head + 4, uint32_t(entries.size()));
    out.Write(head, sizeof head);
    const size_t perBuffer = buf.size() / kRecordSize;
    for (size_t i = 0; i < entries.size();) {
        const size_t n = std::min(perBuffer, entries.size() - i);
        for (size_t k = 0; k < n; ++k) PutRecord(buf.data() + k * kRecordSize, entries[i + k], layout.Offsets[i + k]);
        out.Write(buf.data(), n * kRecordSize);
        i += n;
    }
    const size_t filler = size_t(layout.DataStart - out.Written());
    std::memset(buf.data(), 0, filler);
    out.Write(buf.data(), filler);
}

// Every entry's whole sectors, in catalogue order: the kernel copies the
// runs of the old file, the zeros standing for bytes past its end come from
// the buffer. A copy that ends early (the old file shrank meanwhile) is made
// up with zeros too, so that every entry still starts where its Offset says.
void CopyEntryData(TFile& old, TArchiveWriter& out, const std::vector<TCopyRun>& runs, std::vector<uint8_t>& buf)
{
    std::fill(buf.begin(), buf.end(), 0);
    for (const TCopyRun& run : runs) {
        uint64_t zeros = run.Zeros;
        if (run.Length > 0) {
            old.Seek(run.From);
            zeros += run.Length - out.Copy(old, run.Length);
        }
        while (zeros > 0) {
            const size_t n = size_t(std::min<uint64_t>(buf.size(), zeros));
            out.Write(buf.data(), n);
            zeros -= n;
        }
    }
}

void WriteImgDirectory(TFile& dir, const TRecArray& entries, const TRepackLayout& layout, std::vector<uint8_t>& buf)
{
    const size_t perBuffer = buf.size() / kRecordSize;
    for (size_t i = 0; i < entries.size();) {
        const size_t n = std::min(perBuffer, entries.size() - i);
        for (size_t k = 0; k < n; ++k) PutRecord(buf.data() + k * kRecordSize, entries[i + k], layout.Offsets[i + k]);
        dir.Write(buf.data(), n * kRecordSize);
        i += n;
    }
}

void CopyFile(const std::string& from, const std::string& to, std::vector<uint8_t>& buf)
{
    TFile in = TFile::OpenReadOnly(from);
    TFile out = CreateFresh(to);
    out.SetMode(in.Mode());
    for (;;) {
        const size_t got = in.ReadSome(buf.data(), buf.size());
        if (got == 0) break;
        out.Write(buf.data(), got);
    }
    out.Sync();
    out.Close();
    in.Close();
}

// Files made by this run, removed again unless the run gets through.
class TScratchFiles {
public:
    void Made(const std::string& path) { paths_.push_back(path); }
    void Keep(const std::string& path) { paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end()); }
    ~TScratchFiles()
    {
        for (const std::string& p : paths_) DiscardFile(p);
    }

private:
    std::vector<std::string> paths_;
};

}  // namespace

TRepackFiles RepackFilesFor(const Catalogue& cat)
{
    TRepackFiles f;
    const std::string archive = RealPath(cat.ArchivePath);
    const std::string dir = cat.ArchiveKind == akImg ? RealPath(cat.DirPath) : archive;
    std::vector<std::string> keep = {archive, dir};
    f.ArchiveTemp = FreeName(WithExtension(archive, ".~new"), keep);
    if (cat.ArchiveKind == akImg) {
        keep.push_back(f.ArchiveTemp);
        f.DirTemp = FreeName(dir + ".~new", keep);
        keep.push_back(f.DirTemp);
        f.DirBackup = FreeName(dir + ".~old", keep);
    }
    return f;
}

std::vector<TCopyRun> PlanCopyRuns(TArchiveKind kind, const TRecArray& entries, uint64_t oldLength)
{
    std::vector<TCopyRun> runs;
    for (const TArchiveEntry& e : entries) {
        const uint64_t pos = EntryBytePos(kind, e);
        const uint64_t len = EntryByteLen(kind, e);
        if (len == 0) continue;
        const uint64_t present = pos < oldLength ? std::min(len, oldLength - pos) : 0;
        // Joins the run before when its bytes go on right here, with no
        // zeros in between.
        if (present > 0 && !runs.empty() && runs.back().Zeros == 0 && runs.back().Length > 0 &&
            runs.back().From + runs.back().Length == pos) {
            runs.back().Length += present;
            runs.back().Zeros = len - present;
        } else if (present == 0 && !runs.empty()) {
            runs.back().Zeros += len;  // zeros after zeros, or after a run
        } else {
            runs.push_back({pos, present, len - present});
        }
    }
    return runs;
}

TRepackLayout PlanRepack(TArchiveKind kind, const TRecArray& entries)
{
    TRepackLayout layout;
    if (kind == akImgV2) {
        const uint64_t dirEnd = 8 + kRecordSize * uint64_t(entries.size());
        layout.DataStart = (dirEnd / kHeaderAlign + 1) * kHeaderAlign;  // never a multiple itself
    }
    layout.Offsets.reserve(entries.size());
    uint64_t sector = layout.DataStart / SectorSize;
    for (const TArchiveEntry& e : entries) {
        if (sector > UINT32_MAX) throw EEntryError("The repacked archive would be too large");
        layout.Offsets.push_back(uint32_t(sector));
        sector += e.Size;
    }
    layout.Length = sector * SectorSize;
    return layout;
}

std::vector<uint32_t> RepackArchive(const Catalogue& opened, const TRepackProgress& progress)
{
    if (!IsSectorKind(opened.ArchiveKind)) throw EEntryError("Only .img and VER2 archives can be repacked");
    if (opened.ArchiveKind == akImg && SameFile(opened.ArchivePath, opened.DirPath))
        throw EEntryError("The archive and its directory are the same file");
    // A link is followed, so that the file it names is the one replaced.
    Catalogue cat;
    cat.ArchiveKind = opened.ArchiveKind;
    cat.ArchivePath = RealPath(opened.ArchivePath);
    cat.DirPath = opened.ArchiveKind == akImg ? RealPath(opened.DirPath) : cat.ArchivePath;
    const TRecArray& entries = opened.Entries;
    const TRepackLayout layout = PlanRepack(cat.ArchiveKind, entries);
    const TRepackFiles files = RepackFilesFor(cat);
    const bool twoFiles = cat.ArchiveKind == akImg;
    std::vector<uint8_t> buf(kBufferSize);
    TScratchFiles scratch;

    TFile old = TFile::OpenReadWrite(cat.ArchivePath);
    // The directory is opened up front too, so that one that cannot be
    // written refuses the repack before anything is built.
    uint32_t dirMode = 0;
    if (twoFiles) dirMode = TFile::OpenReadWrite(cat.DirPath).Mode();
    CheckFreeSpace(FolderOf(files.ArchiveTemp), layout.Length);

    {
        TFile out = CreateFresh(files.ArchiveTemp);
        scratch.Made(files.ArchiveTemp);
        out.SetMode(old.Mode());
        TArchiveWriter writer(out, layout.Length, progress);
        if (!twoFiles) WriteVer2Directory(writer, entries, layout, buf);
        CopyEntryData(old, writer, PlanCopyRuns(cat.ArchiveKind, entries, old.Size()), buf);
        out.Sync();
        out.Close();
    }
    old.Close();

    if (!twoFiles) {
        RenameFile(files.ArchiveTemp, cat.ArchivePath);
        scratch.Keep(files.ArchiveTemp);
        SyncFolderAfterSwap(FolderOf(cat.ArchivePath));
        return layout.Offsets;
    }

    {
        TFile dir = CreateFresh(files.DirTemp);
        scratch.Made(files.DirTemp);
        dir.SetMode(dirMode);
        WriteImgDirectory(dir, entries, layout, buf);
        dir.Sync();
        dir.Close();
    }
    // The old directory is kept until the data file is in place, so that a
    // failing second rename can put it back.
    scratch.Made(files.DirBackup);
    CopyFile(cat.DirPath, files.DirBackup, buf);

    // The swap is recorded (and flushed) before the first rename: a cut
    // between the two renames is finished at the next open, never leaving the
    // new directory beside the old data.
    const std::string journal = WriteSwapJournal(cat.ArchivePath, files.ArchiveTemp, files.DirTemp, files.DirBackup);
    try {
        RenameFile(files.DirTemp, cat.DirPath);
    } catch (...) {
        DiscardFile(journal);
        throw;
    }
    scratch.Keep(files.DirTemp);
    try {
        RenameFile(files.ArchiveTemp, cat.ArchivePath);
    } catch (const EInOutError& e) {
        try {
            RenameFile(files.DirBackup, cat.DirPath);
            DiscardFile(journal);
        } catch (const EInOutError&) {
            // Neither way worked: keep every file, so that both the old and the
            // new archive can still be put together by hand; the journal
            // finishes the swap at the next open.
            scratch.Keep(files.DirBackup);
            scratch.Keep(files.ArchiveTemp);
            throw EInOutError(e.ErrorCode, e.what() + std::string(". The old directory is kept as ") +
                                               files.DirBackup + ", the new archive as " + files.ArchiveTemp);
        }
        throw;
    }
    scratch.Keep(files.ArchiveTemp);
    SyncFolderAfterSwap(FolderOf(cat.ArchivePath));
    if (FolderOf(cat.DirPath) != FolderOf(cat.ArchivePath)) SyncFolderAfterSwap(FolderOf(cat.DirPath));
    // The swap is made: a record of it that stays finds nothing left to do.
    DiscardFile(journal);
    return layout.Offsets;  // the scratch list still holds the backup, which goes now
}

}  // namespace korvane
