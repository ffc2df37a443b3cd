#include "archive/SectorDirectory.h"

#include <cstring>

#include "archive/ArchiveOpen.h"
#include "base/ByteOrder.h"
#include "base/Errors.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

// Each entry is built zero-filled on the stack and appended to fresh
// storage, so the large catalogue is written in a single pass.
TRecArray ReadRecords(TFile& file, uint64_t start, uint64_t count)
{
    if (count > MaxDirectoryEntries) throw EOutOfMemory();
    TRecArray entries;
    entries.reserve(count);
    TBufferedReader in(file);
    in.Seek(start);
    uint8_t record[DirRecordSize];
    for (uint64_t i = 0; i < count; ++i) {
        in.Read(record, sizeof record);
        TArchiveEntry e{};  // no byte of an earlier archive survives
        e.Offset = LoadLE32(record);
        e.Size = LoadLE32(record + 4);
        std::memcpy(e.Name, record + 8, DirNameFieldSize);
        e.DirPos = uint32_t(start + DirRecordSize * i);
        entries.push_back(e);
    }
    return entries;
}

}  // namespace

TRecArray ReadImgDir(const std::string& dirPath)
{
    TFile file = TFile::OpenReadOnly(dirPath);
    uint64_t len = file.Size();
    // A trailing partial record is read too and runs past the end.
    if (len % DirRecordSize != 0) RaiseReadBeyondEof(dirPath);
    return ReadRecords(file, 0, len / DirRecordSize);
}

TRecArray ReadVer2Dir(const std::string& path)
{
    TFile file = TFile::OpenReadOnly(path);
    uint8_t raw[4];
    file.Seek(Ver2CountPos);
    file.ReadExact(raw, sizeof raw);
    const uint32_t count = LoadLE32(raw);
    if (Ver2HeaderSize + uint64_t(count) * DirRecordSize > file.Size()) RaiseReadBeyondEof(path);
    return ReadRecords(file, Ver2HeaderSize, count);
}

uint64_t RecordPos(TArchiveKind kind, uint64_t index)
{
    return (kind == akImgV2 ? Ver2HeaderSize : 0) + DirRecordSize * index;
}

void StoreRecord(const TArchiveEntry& e, uint8_t* record)
{
    StoreLE32(record, e.Offset);
    StoreLE32(record + 4, e.Size);
    std::memcpy(record + 8, e.Name, DirNameFieldSize);
}

}  // namespace korvane
