// An entry read whole into memory, and new data put in place of an entry's:
// the bytes on disk checked byte for byte.
#include <gtest/gtest.h>

#include "archive/ArchiveOpen.h"
#include "archive/EntryBytes.h"
#include "archive/EntryOps.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "support/EntryOpsInRows.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

TEST(EntryBytes, AnEntryIsCutWhereTheArchiveEndsAndOneTooLargeIsRefusedUnread)
{
    TempDir dir;
    WriteBytes(dir.File("f"), "0123456789");
    TFile f = TFile::OpenReadOnly(dir.File("f"));
    struct TCase {
        uint64_t pos, len;
        std::string bytes;
    };
    const TCase cases[] = {{2, 3, "234"}, {7, 3, "789"}, {7, 2048, "789"}, {10, 5, ""}, {99, 5, ""}, {0, UINT64_MAX, "0123456789"}};
    for (const TCase& c : cases) {
        const TEntryBytes e = ReadBytesAt(f, c.pos, c.len);
        EXPECT_EQ(std::string(e.Bytes.begin(), e.Bytes.end()), c.bytes) << c.pos << "+" << c.len;
        EXPECT_EQ(e.Path, dir.File("f"));
    }
    // One byte past the limit, in a sparse file: refused before the read.
    f.Close();
    {
        TFile big = TFile::Create(dir.File("big"));
        big.Truncate(MaxEntryBytesInMemory + 1);
    }
    TFile big = TFile::OpenReadOnly(dir.File("big"));
    EXPECT_THROW(ReadBytesAt(big, 0, UINT64_MAX), EOutOfMemory);
}

TEST(EntryBytes, NewDataIsAppendedInWholeSectorsAndOnlyTheEntrysRecordChanges)
{
    TempDir dir;
    std::string img(2 * 2048, 'a');
    img.replace(2048, 2048, std::string(2048, 'b'));
    WriteBytes(dir.File("a.img"), img + "tail");  // not a whole sector: padded first
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A.TXD"}, {1, 1, "B"}}));
    const TArchiveLocation where = LocateArchive(dir.File("a.img"));
    Catalogue cat;
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    const std::string data(2049, 'n');
    Committed(cat, [&](TArchiveChange& change) {
        ReplaceEntryDataAtEnd(change, 0, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    });
    // The old bytes stay; the tail is padded to sector 2, the new data takes
    // sectors 3 and 4, its last one filled with zeros.
    EXPECT_EQ(ReadBytes(dir.File("a.img")),
              img + "tail" + std::string(2044, '\0') + data + std::string(2047, '\0'));
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({{3, 2, "A.TXD"}, {1, 1, "B"}}));
    EXPECT_EQ(cat.Entries[0].Offset, 3u);
    EXPECT_EQ(cat.Entries[0].Size, 2u);
}
