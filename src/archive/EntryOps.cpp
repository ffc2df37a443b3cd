#include "archive/EntryOps.h"

#include <algorithm>
#include <cstring>

#include "archive/ArchiveOpen.h"
#include "archive/SectorDirectory.h"
#include "base/FileIO.h"
#include "base/NameCodec.h"

namespace korvane {

namespace {

constexpr size_t kMaxName = sizeof(TArchiveEntry::Name) - 1;

uint32_t SectorIndex(uint64_t bytePos)
{
    if (bytePos / SectorSize > UINT32_MAX) throw EEntryError("The archive is too large for another entry");
    return uint32_t(bytePos / SectorSize);
}

uint32_t SectorsFor(uint64_t bytes) { return SectorIndex(bytes + SectorSize - 1); }

void WriteZeros(TFile& file, uint64_t n)
{
    static const char zeros[SectorSize] = {};
    while (n > 0) {
        const size_t part = size_t(std::min<uint64_t>(n, sizeof zeros));
        file.Write(zeros, part);
        n -= part;
    }
}

// Zero bytes up to the next sector boundary at or past minEnd, so that data
// appended there starts where its Offset says. Returns that boundary.
uint64_t PadToSector(TFile& arc, uint64_t minEnd)
{
    const uint64_t len = arc.Size();
    const uint64_t end = (std::max(len, minEnd) + SectorSize - 1) / SectorSize * SectorSize;
    arc.Seek(len);
    WriteZeros(arc, end - len);
    return end;
}

struct TPlacedData {
    uint32_t Offset;
    uint32_t Size;
};

// The source's first srcLen bytes at the end of the archive (and past
// minEnd), in whole sectors, the last one filled up with zeros. An empty
// source writes nothing, so the archive does not grow.
TPlacedData AppendData(TFile& arc, TFile& src, uint64_t srcLen, uint64_t minEnd)
{
    SectorsFor(srcLen);  // refuses what no Size can hold before anything is written
    if (srcLen == 0) return {SectorIndex(arc.Size()), 0};
    const uint64_t start = PadToSector(arc, minEnd);
    const uint32_t offset = SectorIndex(start);
    arc.Seek(start);
    src.Seek(0);
    const uint64_t copied = CopyFileData(src, arc, srcLen);
    WriteZeros(arc, (SectorSize - copied % SectorSize) % SectorSize);
    return {offset, SectorsFor(copied)};
}

// A VER2 directory grows into the sectors after it. Before the record at
// slotPos is written, every entry whose data lies under it moves to the end
// of the archive (its sectors that exist, the last filled up with zeros) and
// its record is rewritten, so that no entry's data is overwritten.
void MakeRoomForRecord(Catalogue& cat, TFile& arc, uint64_t slotPos)
{
    const uint64_t slotEnd = slotPos + DirRecordSize;
    for (TArchiveEntry& e : cat.Entries) {
        const uint64_t pos = EntryBytePos(cat.ArchiveKind, e);
        const uint64_t len = EntryByteLen(cat.ArchiveKind, e);
        if (len == 0 || pos >= slotEnd || pos + len <= slotPos) continue;
        const uint64_t oldLen = arc.Size();
        const uint64_t present = pos < oldLen ? std::min(len, oldLen - pos) : 0;
        const uint64_t start = PadToSector(arc, slotEnd);
        TArchiveEntry moved = e;
        moved.Offset = SectorIndex(start);
        TFile from = TFile::OpenReadOnly(arc.Path());
        from.Seek(pos);
        arc.Seek(start);
        const uint64_t copied = CopyFileData(from, arc, present);
        WriteZeros(arc, (SectorSize - copied % SectorSize) % SectorSize);
        from.Close();
        WriteRecord(arc, moved);  // the archive is the directory file of VER2
        e = moved;
    }
}

void StoreName(TArchiveEntry& e, std::string_view name)
{
    const size_t n = std::min(name.size(), kMaxName);
    std::memcpy(e.Name, name.data(), n);
    e.Name[n] = '\0';
}

// The directory half of adding: the new entry's record (after making room
// for it in a VER2 directory), the count, then the catalogue.
uint32_t AddRecord(Catalogue& cat, const TPlacedData& placed, std::string_view name, TEntryChanges& changes)
{
    const uint64_t n = cat.Entries.size();
    const uint64_t slot = RecordPos(cat.ArchiveKind, n);

    TArchiveEntry e{};
    e.Offset = placed.Offset;
    e.Size = placed.Size;
    StoreName(e, name);
    e.DirPos = uint32_t(slot);

    TFile dir = TFile::OpenReadWrite(cat.DirPath);
    if (cat.ArchiveKind == akImgV2) MakeRoomForRecord(cat, dir, slot);
    WriteRecord(dir, e);
    if (cat.ArchiveKind == akImgV2) WriteVer2Count(dir, uint32_t(n + 1));

    // The directory holds the entry now: the catalogue follows before the
    // file is closed, so that a failing close leaves the two in step.
    cat.Entries.push_back(e);
    changes.Add(TEntryChange::Added(uint32_t(n)));
    dir.Close();
    return uint32_t(n);
}

// The directory half of a moving replace. The records from the entry's slot
// to the end go out in one write: those after it one slot down, the entry
// last with its new data and name. Before that write the directory is the old
// one, after it the new one, so the entry is never missing from it. (One
// buffer of 32 bytes a record: a small part of what the catalogue holds.)
void MoveRecordToEnd(Catalogue& cat, uint32_t index, const TPlacedData& placed, std::string_view name,
                     TEntryChanges& changes)
{
    const size_t n = cat.Entries.size();
    TArchiveEntry moved{};
    moved.Offset = placed.Offset;
    moved.Size = placed.Size;
    StoreName(moved, name);
    std::vector<uint8_t> records(DirRecordSize * (n - index));
    for (size_t j = index; j + 1 < n; ++j) StoreRecord(cat.Entries[j + 1], &records[DirRecordSize * (j - index)]);
    StoreRecord(moved, &records[records.size() - DirRecordSize]);

    TFile dir = TFile::OpenReadWrite(cat.DirPath);
    dir.Seek(cat.Entries[index].DirPos);
    dir.Write(records.data(), records.size());
    // The catalogue follows before the close, as in adding; each slot keeps
    // its DirPos.
    for (size_t j = index; j < n; ++j) {
        TArchiveEntry& slot = cat.Entries[j];
        const TArchiveEntry& from = j + 1 < n ? cat.Entries[j + 1] : moved;
        slot.Offset = from.Offset;
        slot.Size = from.Size;
        std::memcpy(slot.Name, from.Name, sizeof slot.Name);
    }
    changes.Add(TEntryChange::Moved(index, uint32_t(n - 1)));
    dir.Close();
}

}  // namespace

void CheckRoomForEntry(const Catalogue& cat)
{
    if (cat.Entries.size() >= MaxDirectoryEntries) throw EEntryError("The archive holds as many entries as it can");
}

uint32_t AddFileEntry(Catalogue& cat, const std::string& path, TEntryChanges& changes)
{
    TFile src = TFile::OpenToCopyFrom(path);
    const uint64_t srcLen = src.Size();
    TFile arc = TFile::OpenReadWrite(cat.ArchivePath);
    // VER2: new data stays clear of the record it is about to get.
    const uint64_t minEnd =
        cat.ArchiveKind == akImgV2 ? RecordPos(akImgV2, cat.Entries.size()) + DirRecordSize : 0;
    const TPlacedData placed = AppendData(arc, src, srcLen, minEnd);
    arc.Close();
    src.Close();
    return AddRecord(cat, placed, EntryNameFromPath(path), changes);
}

void RemoveEntry(Catalogue& cat, uint32_t index, TEntryChanges& changes)
{
    const size_t n = cat.Entries.size();

    // Each slot keeps its own DirPos and takes the next slot's fields. The
    // catalogue follows the records as they reach the disk, so that after a
    // failure it lists what the directory holds and a later command does not
    // write a stale record over another entry's.
    size_t shifted = index;
    auto follow = [&cat, &shifted](size_t upTo) {
        for (; shifted < upTo; ++shifted) {
            TArchiveEntry& slot = cat.Entries[shifted];
            const TArchiveEntry& next = cat.Entries[shifted + 1];
            slot.Offset = next.Offset;
            slot.Size = next.Size;
            std::memcpy(slot.Name, next.Name, sizeof slot.Name);
        }
    };
    TFile dir = TFile::OpenReadWrite(cat.DirPath);
    TRecordWriter writer(dir);
    try {
        for (size_t j = index; j + 1 < n; ++j) {
            TArchiveEntry next = cat.Entries[j + 1];
            next.DirPos = cat.Entries[j].DirPos;
            writer.Put(next);
        }
        writer.Flush();
    } catch (...) {
        follow(index + writer.Written());
        throw;
    }
    follow(n - 1);
    // Until the count or the length drops, the last entry is listed twice.
    if (cat.ArchiveKind == akImgV2)
        WriteVer2Count(dir, uint32_t(n - 1));
    else
        dir.Truncate(DirRecordSize * (n - 1));
    cat.Entries.pop_back();
    changes.Add(TEntryChange::Removed(index));
    dir.Close();
}

TReplaceResult ReplaceEntry(Catalogue& cat, uint32_t index, const std::string& path, TEntryChanges& changes)
{
    const std::string name = EntryNameFromPath(path);
    TFile src = TFile::OpenToCopyFrom(path);
    const uint64_t srcLen = src.Size();
    const TArchiveEntry old = cat.Entries[index];

    if (srcLen <= EntryByteLen(cat.ArchiveKind, old)) {
        // The record first, then the data over the entry's own sectors.
        TArchiveEntry e = old;
        e.Size = SectorsFor(srcLen);
        StoreName(e, name);
        TFile dir = TFile::OpenReadWrite(cat.DirPath);
        WriteRecord(dir, e);
        cat.Entries[index] = e;
        changes.Add(TEntryChange::Changed(index));
        dir.Close();

        TFile arc = TFile::OpenReadWrite(cat.ArchivePath);
        arc.Seek(EntryBytePos(cat.ArchiveKind, old));
        src.Seek(0);
        CopyFileData(src, arc, srcLen);  // never past the entry's sectors
        arc.Close();
        return TReplaceResult::rrInPlace;
    }

    // The new data goes to the end first: a failure while copying leaves the
    // entry and the directory as they were.
    TFile arc = TFile::OpenReadWrite(cat.ArchivePath);
    const TPlacedData placed = AppendData(arc, src, srcLen, 0);
    arc.Close();
    src.Close();
    MoveRecordToEnd(cat, index, placed, name, changes);
    return TReplaceResult::rrMoved;
}

void ReplaceEntryDataAtEnd(Catalogue& cat, uint32_t index, std::span<const uint8_t> data)
{
    SectorsFor(data.size());  // refuses what no Size can hold before anything is written
    // The new data is whole at the end before the entry's one record points
    // at it: the old bytes are never written over.
    TFile arc = TFile::OpenReadWrite(cat.ArchivePath);
    TPlacedData placed{SectorIndex(arc.Size()), 0};
    if (!data.empty()) {
        const uint64_t start = PadToSector(arc, 0);
        placed.Offset = SectorIndex(start);
        arc.Seek(start);
        arc.Write(data.data(), data.size());
        WriteZeros(arc, (SectorSize - data.size() % SectorSize) % SectorSize);
        placed.Size = SectorsFor(data.size());
    }
    arc.Close();
    TArchiveEntry e = cat.Entries[index];
    e.Offset = placed.Offset;
    e.Size = placed.Size;
    TFile dir = TFile::OpenReadWrite(cat.DirPath);
    WriteRecord(dir, e);
    cat.Entries[index] = e;
    dir.Close();
}

void RenameEntry(Catalogue& cat, uint32_t index, std::string_view name)
{
    TArchiveEntry e = cat.Entries[index];
    StoreName(e, name);
    TFile dir = TFile::OpenReadWrite(cat.DirPath);
    WriteRecord(dir, e);
    cat.Entries[index] = e;
    dir.Close();
}

std::string EntryNameFromPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = Utf8ToCp1251(slash == std::string::npos ? path : path.substr(slash + 1));
    if (name.size() > kMaxName) name.resize(kMaxName);
    return name;
}

}  // namespace korvane
