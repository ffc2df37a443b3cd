// The 32-byte directory records of the two sector kinds: the ".dir" file of
// akImg and the directory at the front of a "VER2" archive: reading them,
// and the bytes of one record (the changes write them through TArchiveChange).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/Catalogue.h"

namespace korvane {

constexpr size_t DirRecordSize = 32;   // Offset, Size, 24 name bytes
constexpr size_t DirNameFieldSize = 24;
constexpr uint32_t Ver2HeaderSize = 8;  // "VER2" and the record count
constexpr uint64_t Ver2CountPos = 4;

// Whole ".dir" file; its length must be a whole number of records.
TRecArray ReadImgDir(const std::string& dirPath);
// The records of a "VER2" archive, as many as its header counts.
TRecArray ReadVer2Dir(const std::string& path);

// Byte position of slot i's record in the directory file.
uint64_t RecordPos(TArchiveKind kind, uint64_t index);

// The record straight from the front of the entry: Offset, Size and the first
// 24 bytes of Name as they stand, whatever follows the terminating zero.
void StoreRecord(const TArchiveEntry& e, uint8_t* record);

}  // namespace korvane
