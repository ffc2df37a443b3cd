#include "archive/EntryOps.h"

#include <algorithm>
#include <cstring>

#include "archive/ArchiveChange.h"
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
// slotPos is staged, every entry whose data lies under it moves to the end
// of the archive (its sectors that exist, the last filled up with zeros) and
// its record is staged too, so that no entry's data is overwritten.
void MakeRoomForRecord(TArchiveChange& change, uint64_t slotPos)
{
    Catalogue& cat = change.Cat();
    TFile& arc = change.Archive();
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
        change.PutRecord(moved);
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
// for it in a VER2 directory) and the count.
uint32_t AddRecord(TArchiveChange& change, const TPlacedData& placed, std::string_view name)
{
    Catalogue& cat = change.Cat();
    const uint64_t n = cat.Entries.size();
    const uint64_t slot = RecordPos(cat.ArchiveKind, n);

    TArchiveEntry e{};
    e.Offset = placed.Offset;
    e.Size = placed.Size;
    StoreName(e, name);
    e.DirPos = uint32_t(slot);

    if (cat.ArchiveKind == akImgV2) MakeRoomForRecord(change, slot);
    change.PutRecord(e);
    change.SetCount(n + 1);
    cat.Entries.push_back(e);
    change.Steps().Add(TEntryChange::Added(uint32_t(n)));
    return uint32_t(n);
}

// Each slot from `index` on keeps its DirPos and takes the next slot's
// fields; the last slot takes `last`'s.
void ShiftDown(Catalogue& cat, size_t index, const TArchiveEntry& last)
{
    const size_t n = cat.Entries.size();
    for (size_t j = index; j < n; ++j) {
        TArchiveEntry& slot = cat.Entries[j];
        const TArchiveEntry& from = j + 1 < n ? cat.Entries[j + 1] : last;
        slot.Offset = from.Offset;
        slot.Size = from.Size;
        std::memcpy(slot.Name, from.Name, sizeof slot.Name);
    }
}

}  // namespace

void CheckRoomForEntry(const Catalogue& cat)
{
    if (cat.Entries.size() >= MaxDirectoryEntries) throw EEntryError("The archive holds as many entries as it can");
}

uint32_t AddFileEntry(TArchiveChange& change, const std::string& path)
{
    Catalogue& cat = change.Cat();
    TFile src = TFile::OpenToCopyFrom(path);
    const uint64_t srcLen = src.Size();
    // VER2: new data stays clear of the record it is about to get.
    const uint64_t minEnd =
        cat.ArchiveKind == akImgV2 ? RecordPos(akImgV2, cat.Entries.size()) + DirRecordSize : 0;
    const TPlacedData placed = AppendData(change.Archive(), src, srcLen, minEnd);
    src.Close();
    return AddRecord(change, placed, EntryNameFromPath(path));
}

void RemoveEntry(TArchiveChange& change, uint32_t index)
{
    Catalogue& cat = change.Cat();
    const size_t n = cat.Entries.size();
    ShiftDown(cat, index, cat.Entries[n - 1]);
    cat.Entries.pop_back();
    change.RecordsChangedFrom(index);
    change.SetCount(n - 1);
    change.Steps().Add(TEntryChange::Removed(index));
}

TReplaceResult ReplaceEntry(TArchiveChange& change, uint32_t index, const std::string& path)
{
    Catalogue& cat = change.Cat();
    const std::string name = EntryNameFromPath(path);
    TFile src = TFile::OpenToCopyFrom(path);
    const uint64_t srcLen = src.Size();
    const TArchiveEntry old = cat.Entries[index];

    if (srcLen <= EntryByteLen(cat.ArchiveKind, old) && change.AppendsOnly()) {
        // Fits, but the old bytes must stay: the data is appended and the
        // entry keeps its slot.
        const TPlacedData placed = AppendData(change.Archive(), src, srcLen, 0);
        src.Close();
        TArchiveEntry e = old;
        e.Offset = placed.Offset;
        e.Size = placed.Size;
        StoreName(e, name);
        change.PutRecord(e);
        cat.Entries[index] = e;
        change.Steps().Add(TEntryChange::Changed(index));
        return TReplaceResult::rrInPlace;
    }
    if (srcLen <= EntryByteLen(cat.ArchiveKind, old)) {
        // Over the entry's own sectors; the old bytes after the new ones stay.
        TArchiveEntry e = old;
        e.Size = SectorsFor(srcLen);
        StoreName(e, name);
        change.PutRecord(e);
        change.Overwrite(EntryBytePos(cat.ArchiveKind, old), std::move(src), srcLen);
        cat.Entries[index] = e;
        change.Steps().Add(TEntryChange::Changed(index));
        return TReplaceResult::rrInPlace;
    }

    // Too large for its sectors: the new data goes to the end, and the entry
    // leaves its slot for the last one, the records after it moving down.
    const TPlacedData placed = AppendData(change.Archive(), src, srcLen, 0);
    src.Close();
    TArchiveEntry moved{};
    moved.Offset = placed.Offset;
    moved.Size = placed.Size;
    StoreName(moved, name);
    ShiftDown(cat, index, moved);
    change.RecordsChangedFrom(index);
    change.Steps().Add(TEntryChange::Moved(index, uint32_t(cat.Entries.size() - 1)));
    return TReplaceResult::rrMoved;
}

void ReplaceEntryDataAtEnd(TArchiveChange& change, uint32_t index, std::span<const uint8_t> data)
{
    Catalogue& cat = change.Cat();
    SectorsFor(data.size());  // refuses what no Size can hold before anything is written
    // The new data is appended; the entry's record points at it, the old
    // bytes stay as unused space.
    TFile& arc = change.Archive();
    TPlacedData placed{SectorIndex(arc.Size()), 0};
    if (!data.empty()) {
        const uint64_t start = PadToSector(arc, 0);
        placed.Offset = SectorIndex(start);
        arc.Seek(start);
        arc.Write(data.data(), data.size());
        WriteZeros(arc, (SectorSize - data.size() % SectorSize) % SectorSize);
        placed.Size = SectorsFor(data.size());
    }
    TArchiveEntry e = cat.Entries[index];
    e.Offset = placed.Offset;
    e.Size = placed.Size;
    change.PutRecord(e);
    cat.Entries[index] = e;
}

void RenameEntry(TArchiveChange& change, uint32_t index, std::string_view name)
{
    Catalogue& cat = change.Cat();
    TArchiveEntry e = cat.Entries[index];
    StoreName(e, name);
    change.PutRecord(e);
    cat.Entries[index] = e;
    change.Steps().Add(TEntryChange::Changed(index));
}

std::string EntryNameFromPath(const std::string& path)
{
    const size_t slash = path.rfind('/');
    std::string name = Utf8ToCp1251(slash == std::string::npos ? path : path.substr(slash + 1));
    if (name.size() > kMaxName) name.resize(kMaxName);
    return name;
}

}  // namespace korvane
