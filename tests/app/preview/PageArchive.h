// A VER2 archive whose entries are the given files, each in sectors of its own.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "support/ArchiveWriters.h"

inline std::string PageArchive(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<TDirRecord> records;
    uint32_t sector = 1;
    for (const auto& [name, bytes] : entries) {
        const uint32_t size = std::max<uint32_t>(1, uint32_t((bytes.size() + 2047) / 2048));
        records.push_back({sector, size, name});
        sector += size;
    }
    std::string out = Ver2Bytes(records, uint64_t(sector) * 2048);
    for (size_t i = 0; i < entries.size(); ++i) out.replace(records[i].offset * 2048, entries[i].second.size(), entries[i].second);
    return out;
}
