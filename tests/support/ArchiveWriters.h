// Archives of the four kinds, built byte by byte for tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "rw/SectionIds.h"

std::string LE32(uint32_t v);
std::string BE32(uint32_t v);
std::string LE16(uint16_t v);
std::string F32(float v);  // little-endian bytes of a single float

// Version stamp of the San Andreas library (3.6.0.3).
constexpr uint32_t RwVersionSA = 0x1803FFFF;
// A RenderWare section: 12-byte header (id, body size or `sizeOverride`,
// version), then the body.
std::string RwSection(uint32_t id, const std::string& body, uint32_t version = RwVersionSA,
                      int64_t sizeOverride = -1);

// One record of a ".dir" file or a "VER2" directory; `name` is raw bytes,
// padded with zeros to 24 (a 24-byte name has no zero).
struct TDirRecord {
    uint32_t offset;
    uint32_t size;
    std::string name;
};
std::string DirRecordBytes(const TDirRecord& r);
std::string ImgDirBytes(const std::vector<TDirRecord>& records);
// "VER2", the count (or `countOverride`), the records, then zero bytes up to
// `totalSize` when it is larger.
std::string Ver2Bytes(const std::vector<TDirRecord>& records, uint64_t totalSize = 0, int64_t countOverride = -1);
// A VER2 archive whose entry i (name, contents) lies at sector 1 + i, one
// sector long, holding its contents at its start.
std::string Ver2OneSectorEach(const std::vector<std::pair<std::string, std::string>>& entries);

// "VXBG" archive: names with sizes, then the data (filler bytes) back to back.
struct TSybRecord {
    std::string name;
    uint32_t size;
};
std::string SybBytes(const std::vector<TSybRecord>& records, int64_t dirLengthOverride = -1, bool withData = true);

// "BIGF" archive: big-endian H, then offset, size and name per record.
struct TBigRecord {
    uint32_t offset;
    uint32_t size;
    std::string name;
};
std::string BigBytes(const std::vector<TBigRecord>& records, int64_t hOverride = -1);
