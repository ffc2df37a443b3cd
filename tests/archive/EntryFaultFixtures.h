// Archives for the fault tests of the entry operations: recognisable data in
// every entry, and each entry's bytes by name as the test wrote them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "formats/picture/Bitmap.h"
#include "formats/picture/PngWriter.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"

namespace entry_faults {

using TNames = std::vector<std::string>;

inline std::string Pattern(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 7 + i / 2048 * 13 + size_t(seed) * 31 + 1) % 251);
    return s;
}

inline std::string Padded(const std::string& data)
{
    return data + std::string((2048 - data.size() % 2048) % 2048, '\0');
}

// The bytes a record points at, cut where the archive ends.
inline std::string DataAt(const std::string& img, uint32_t offset, uint32_t size)
{
    const uint64_t pos = uint64_t(offset) * 2048;
    return pos >= img.size() ? std::string() : img.substr(size_t(pos), size_t(size) * 2048);
}

// An archive as the test wrote it, and every entry's bytes by name.
struct TFixture {
    bool ver2 = false;
    std::vector<TDirRecord> recs;
    std::string img, dir;
    std::map<std::string, std::string> data;

    void Seal()
    {
        if (ver2) {
            const std::string head = Ver2Bytes(recs);
            img.replace(0, head.size(), head);
        } else {
            dir = ImgDirBytes(recs);
        }
        for (const TDirRecord& r : recs) data[r.name] = DataAt(img, r.offset, r.size);
    }
    void Put(uint32_t sector, const std::string& bytes)
    {
        const size_t pos = size_t(sector) * 2048;
        if (img.size() < pos + bytes.size()) img.resize(pos + bytes.size(), '\0');
        img.replace(pos, bytes.size(), bytes);
    }
    TNames Names() const
    {
        TNames n;
        for (const TDirRecord& r : recs) n.push_back(r.name);
        return n;
    }
    const TDirRecord* Find(const std::string& name) const
    {
        for (const TDirRecord& r : recs)
            if (r.name == name) return &r;
        return nullptr;
    }
};

// Four entries with a gap between them; `tail` bytes past the last whole sector.
inline TFixture Img(size_t tail = 0)
{
    TFixture fx;
    fx.recs = {{0, 1, "A.TXD"}, {1, 2, "B.DFF"}, {4, 1, "C.COL"}, {5, 2, "D.IFP"}};
    for (size_t i = 0; i < fx.recs.size(); ++i) fx.Put(fx.recs[i].offset, Pattern(fx.recs[i].size * 2048, int(i)));
    fx.img += Pattern(tail, 9);
    fx.Seal();
    return fx;
}

inline TFixture Ver2()
{
    TFixture fx;
    fx.ver2 = true;
    fx.recs = {{1, 1, "A.TXD"}, {2, 2, "B.DFF"}, {5, 1, "C.COL"}, {6, 2, "D.IFP"}};
    for (size_t i = 0; i < fx.recs.size(); ++i) fx.Put(fx.recs[i].offset, Pattern(fx.recs[i].size * 2048, int(i)));
    fx.Seal();
    return fx;
}

// 63 records end 24 bytes short of sector 1, where the first entry's data
// starts: the next record needs that entry moved.
inline TFixture Ver2Full()
{
    TFixture fx;
    fx.ver2 = true;
    fx.recs = {{1, 1, "X1.TXD"}, {2, 2, "X2.DFF"}, {4, 1, "X3.COL"}};
    for (int i = 0; i < 60; ++i) fx.recs.push_back({0, 0, "Z" + std::to_string(i)});
    for (size_t i = 0; i < 3; ++i) fx.Put(fx.recs[i].offset, Pattern(fx.recs[i].size * 2048, int(i)));
    fx.Seal();
    return fx;
}

// The fixture with entry 1 holding a dictionary of one 32×32 DXT1 texture
// "tex" in its first sectors.
inline TFixture WithDictionary(TFixture fx)
{
    const std::string txd =
        DictionaryBytes({Dxt1Texture("tex", 32, 32, [](unsigned x, unsigned y) { return x * 8 + y; })});
    fx.Put(fx.recs[1].offset, txd);
    fx.data.clear();
    fx.Seal();
    return fx;
}

// A side × side PNG picture of recognisable pixels.
inline std::string Picture(int side)
{
    korvane::TTextureBitmap bmp;
    bmp.Width = bmp.Height = side;
    for (int i = 0; i < side * side; ++i) bmp.Pixels.insert(bmp.Pixels.end(), {uint8_t(i), uint8_t(i / side * 2), 90, 255});
    return korvane::PngBytes(bmp);
}

}  // namespace entry_faults
