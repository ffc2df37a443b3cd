// Shared by the repacking tests: archives with recognisable data, and the
// bytes a repack must produce, built from the layout rules here rather than by
// the code under test.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "archive/ArchiveOpen.h"
#include "base/Errors.h"
#include "support/ArchiveWriters.h"

namespace repack_test {

using namespace korvane;

// Sector data of entry i, recognisable wherever it lands.
inline std::string SectorData(uint32_t sectors, char tag)
{
    std::string s(size_t(sectors) * 2048, tag);
    for (size_t k = 0; k < s.size(); k += 97) s[k] = char(tag + k / 97);
    return s;
}

inline void Put(std::string& file, uint64_t pos, const std::string& data)
{
    if (file.size() < pos + data.size()) file.resize(pos + data.size(), '\0');
    file.replace(pos, data.size(), data);
}

inline Catalogue Open(const std::string& path)
{
    const TArchiveLocation where = LocateArchive(path);
    Catalogue cat;
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    return cat;
}

inline std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// The repacked bytes an archive must have: data of each entry in catalogue
// order, whole sectors, zero-padded where the old file ends early.
struct TExpected {
    std::string archive;
    std::string dir;
    std::vector<uint32_t> offsets;
};

inline TExpected Expect(bool ver2, const std::string& old, const std::vector<TDirRecord>& recs)
{
    TExpected x;
    size_t start = 0;
    if (ver2) {
        const size_t dirEnd = 8 + 32 * recs.size();
        start = (dirEnd / 4096 + 1) * 4096;
    }
    std::string data;
    for (const TDirRecord& r : recs) {
        x.offsets.push_back(uint32_t((start + data.size()) / 2048));
        std::string bytes = old.size() > r.offset * 2048ull ? old.substr(r.offset * 2048ull, r.size * 2048ull) : "";
        bytes.resize(r.size * 2048ull, '\0');
        data += bytes;
    }
    std::vector<TDirRecord> moved = recs;
    for (size_t i = 0; i < recs.size(); ++i) moved[i].offset = x.offsets[i];
    x.dir = ImgDirBytes(moved);
    if (ver2) {
        x.archive = Ver2Bytes(moved, start) + data;
    } else {
        x.archive = data;
    }
    return x;
}

template <class F>
std::string IoErrorOf(F&& f)
{
    try {
        f();
    } catch (const EInOutError& e) {
        return e.what();
    }
    return "(no error)";
}

// VER2 archive of n one-sector entries scattered with gaps, in an order
// other than their offsets.
inline std::pair<std::string, std::vector<TDirRecord>> ScatteredVer2(uint32_t n)
{
    std::vector<TDirRecord> recs;
    const uint32_t first = (8 + 32 * n) / 2048 + 3;
    for (uint32_t i = 0; i < n; ++i)
        recs.push_back({first + ((i * 7) % n) * 2, 1 + i % 2, "E" + std::to_string(i) + ".DFF"});
    std::string file = Ver2Bytes(recs);
    for (uint32_t i = 0; i < n; ++i) Put(file, recs[i].offset * 2048ull, SectorData(recs[i].size, char('A' + i % 50)));
    return {file, recs};
}

}  // namespace repack_test
