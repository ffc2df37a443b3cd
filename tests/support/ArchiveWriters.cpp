#include "support/ArchiveWriters.h"

#include <cstring>

#include "rw/SectionWriter.h"

std::string LE32(uint32_t v)
{
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

std::string BE32(uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string LE16(uint16_t v) { return std::string{char(v & 0xFF), char(v >> 8)}; }

std::string F32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return LE32(bits);
}

std::string DirRecordBytes(const TDirRecord& r)
{
    std::string name = r.name.substr(0, 24);
    name.resize(24, '\0');
    return LE32(r.offset) + LE32(r.size) + name;
}

std::string ImgDirBytes(const std::vector<TDirRecord>& records)
{
    std::string out;
    for (const TDirRecord& r : records) out += DirRecordBytes(r);
    return out;
}

std::string Ver2Bytes(const std::vector<TDirRecord>& records, uint64_t totalSize, int64_t countOverride)
{
    std::string out = "VER2" + LE32(countOverride >= 0 ? uint32_t(countOverride) : uint32_t(records.size()));
    out += ImgDirBytes(records);
    if (out.size() < totalSize) out.resize(totalSize, '\0');
    return out;
}

std::string Ver2OneSectorEach(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<TDirRecord> records;
    for (size_t i = 0; i < entries.size(); ++i) records.push_back({uint32_t(1 + i), 1, entries[i].first});
    std::string bytes = Ver2Bytes(records, (1 + entries.size()) * 2048);
    for (size_t i = 0; i < entries.size(); ++i) bytes.replace((1 + i) * 2048, entries[i].second.size(), entries[i].second);
    return bytes;
}

std::string SybBytes(const std::vector<TSybRecord>& records, int64_t dirLengthOverride, bool withData)
{
    std::string dir;
    for (const TSybRecord& r : records) dir += r.name + std::string(1, '\0') + LE32(r.size);
    std::string out = "VXBG" + LE32(dirLengthOverride >= 0 ? uint32_t(dirLengthOverride) : uint32_t(dir.size())) + dir;
    if (withData)
        for (size_t i = 0; i < records.size(); ++i) out += std::string(records[i].size, char('a' + i % 26));
    return out;
}

std::string BigBytes(const std::vector<TBigRecord>& records, int64_t hOverride)
{
    std::string dir;
    for (const TBigRecord& r : records) dir += BE32(r.offset) + BE32(r.size) + r.name + std::string(1, '\0');
    // Records end at H - 8.
    uint32_t h = hOverride >= 0 ? uint32_t(hOverride) : uint32_t(16 + dir.size() + 8);
    return "BIGF" + LE32(0) + LE32(0) + BE32(h) + dir;
}

std::string RwSection(uint32_t id, const std::string& body, uint32_t version, int64_t sizeOverride)
{
    std::string out;
    korvane::AppendSectionHeader(out, id, version, sizeOverride >= 0 ? uint32_t(sizeOverride) : uint32_t(body.size()));
    return out + body;
}
