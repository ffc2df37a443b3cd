#include "archive/ArchiveChange.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "archive/ChangeJournal.h"
#include "archive/SectorDirectory.h"
#include "base/ByteOrder.h"

namespace korvane {

TArchiveChange::TArchiveChange(Catalogue& cat)
    : cat_(cat), before_(cat), dirSizeBefore_(uint64_t(cat.Entries.size()) * DirRecordSize)
{
}

TArchiveChange::~TArchiveChange()
{
    if (committed_) return;
    cat_ = std::move(before_);
    // Nothing points at the bytes appended past the old end: they go again.
    // (With a journal left by a failed roll back, the old length is one it
    // accepts.)
    try {
        if (archive_ && archive_->Size() > archiveSizeBefore_) archive_->Truncate(archiveSizeBefore_);
    } catch (...) {
    }
}

TFile& TArchiveChange::Archive()
{
    if (!archive_) {
        // The old length is known before the file is taken: a failure in
        // between must not leave a length of 0 to cut back to.
        TFile file = TFile::OpenReadWrite(cat_.ArchivePath);
        archiveSizeBefore_ = file.Size();
        archive_.emplace(std::move(file));
    }
    return *archive_;
}

void TArchiveChange::PutRecord(const TArchiveEntry& e) { StoreRecord(e, records_[e.DirPos].data()); }

void TArchiveChange::SetCount(uint64_t count) { count_ = count; }

void TArchiveChange::Overwrite(uint64_t pos, TFile source, uint64_t len)
{
    overwrites_.push_back({pos, std::move(source), len});
}

void TArchiveChange::Commit(TEntryChanges& changes)
{
    const bool twoFiles = cat_.ArchiveKind == akImg;
    for (size_t j = changedFrom_; j < cat_.Entries.size(); ++j) PutRecord(cat_.Entries[j]);
    // The staged directory bytes as runs of neighbouring ones, each one write.
    std::vector<std::pair<uint64_t, std::string>> runs;
    for (const auto& [pos, record] : records_) {
        const char* bytes = reinterpret_cast<const char*>(record.data());
        if (!runs.empty() && runs.back().first + runs.back().second.size() == pos)
            runs.back().second.append(bytes, record.size());
        else
            runs.push_back({pos, std::string(bytes, record.size())});
    }
    for (auto& [pos, bytes] : raw_) runs.push_back({pos, std::move(bytes)});
    // The VER2 count last: until it is written the records past the old
    // count are not read.
    if (count_ && !twoFiles) {
        uint8_t raw[4];
        StoreLE32(raw, uint32_t(*count_));
        runs.push_back({Ver2CountPos, std::string(reinterpret_cast<char*>(raw), 4)});
    }
    const uint8_t dirFile = twoFiles ? 1 : 0;
    std::vector<TJournalRange> ranges;
    uint64_t archiveEnd = 0;  // of the writes to the archive
    for (const auto& [pos, bytes] : runs) {
        ranges.push_back({dirFile, pos, bytes.size()});
        if (!twoFiles) archiveEnd = std::max(archiveEnd, pos + bytes.size());
    }
    const uint64_t dirLength = twoFiles && count_ ? *count_ * DirRecordSize : 0;
    if (twoFiles && count_ && dirLength < dirSizeBefore_) ranges.push_back({1, dirLength, dirSizeBefore_ - dirLength});
    for (const TOverwrite& o : overwrites_) {
        ranges.push_back({0, o.Pos, o.Len});
        archiveEnd = std::max(archiveEnd, o.Pos + o.Len);
    }

    if (!ranges.empty()) {
        TFile& arc = Archive();
        // The archive gets its final length before the journal names it, so
        // that no write below changes it.
        if (archiveEnd > arc.Size()) arc.Truncate(archiveEnd);
        const uint64_t size = arc.Size();
        // Every byte a new record will point at is on the disk first.
        if (size != archiveSizeBefore_) arc.SyncData();
        std::vector<std::string> before;
        const std::string journal =
            WriteRollbackJournal({cat_.ArchivePath, twoFiles ? cat_.DirPath : "", size, archiveSizeBefore_, dirSizeBefore_},
                                 ranges, image_ ? &before : nullptr);
        TChangeImage made;
        if (image_) {
            // The ranges as journaled: the runs, then the tail a ".dir" lost.
            for (size_t i = 0; i < runs.size(); ++i) made.Ranges.push_back({runs[i].first, before[i], runs[i].second});
            for (size_t i = runs.size(); i < before.size(); ++i) made.Ranges.push_back({ranges[i].Pos, before[i], {}});
            made.DirLengthBefore = twoFiles ? dirSizeBefore_ : 0;
            made.DirLengthAfter = twoFiles ? (count_ ? dirLength : dirSizeBefore_) : 0;
        }
        try {
            std::optional<TFile> dirFileOpen;
            if (twoFiles) dirFileOpen.emplace(TFile::OpenReadWrite(cat_.DirPath));
            TFile& dir = twoFiles ? *dirFileOpen : arc;
            for (const auto& [pos, bytes] : runs) {
                dir.Seek(pos);
                dir.Write(bytes.data(), bytes.size());
            }
            if (twoFiles && count_) dir.Truncate(dirLength);
            for (TOverwrite& o : overwrites_) {
                arc.Seek(o.Pos);
                o.Source.Seek(0);
                CopyFileData(o.Source, arc, o.Len);  // ends early only where the source does
            }
            dir.Sync();
            if (twoFiles) {
                if (!overwrites_.empty()) arc.Sync();
                dirFileOpen->Close();
            }
        } catch (...) {
            // Back to the old directory now; when that fails too, the next
            // open does it from the journal.
            try {
                RecoverArchive({cat_.ArchivePath, cat_.DirPath, cat_.ArchiveKind});
            } catch (...) {
            }
            throw;
        }
        committed_ = true;
        for (const TEntryChange& step : steps_.Steps) changes.Add(step);
        if (image_) *image_ = std::move(made);
        // The change is made: a journal that cannot go is emptied first, and
        // the error is still reported.
        RemoveJournal(journal);
    } else {
        committed_ = true;
        for (const TEntryChange& step : steps_.Steps) changes.Add(step);
    }
    if (archive_) archive_->Close();
}

}  // namespace korvane
