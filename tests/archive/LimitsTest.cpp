// The limits of the archive and preview readers: the largest archives, the
// entry cap, hostile sizes, and the refusals with their messages. Archives of
// terabytes are sparse files: only the bytes written take room on the disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "archive/ArchiveOpen.h"
#include "archive/EntryBytes.h"
#include "archive/EntryOps.h"
#include "archive/Repack.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "formats/dff/Model.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/EntryOpsInRows.h"
#include "support/FileBytes.h"
#include "support/ModelWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

constexpr uint64_t kTiB = uint64_t(1) << 40;
constexpr uint64_t kGiB = uint64_t(1) << 30;

// `head` at the front of a file `length` bytes long.
bool WriteSparse(const std::string& path, const std::string& head, uint64_t length)
{
    WriteBytes(path, head);
    std::error_code ec;
    std::filesystem::resize_file(path, length, ec);
    return !ec;
}

// `bytes` written at `pos` of an existing file.
void WriteAt(const std::string& path, uint64_t pos, const std::string& bytes)
{
    TFile f = TFile::OpenReadWrite(path);
    f.Seek(pos);
    f.Write(bytes.data(), bytes.size());
    f.Close();
}

TListedCatalogue OpenCat(const std::string& path) { return TListedCatalogue(OpenCatalogue(path)); }

template <class E, class F>
std::string MessageOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(Limits, MoreEntriesThanTheCapAreOutOfMemoryAndACountPastTheFileReadsBeyondItsEnd)
{
    TempDir dir;
    const uint64_t over = MaxDirectoryEntries + 1;
    ASSERT_TRUE(WriteSparse(dir.File("a.dir"), "", 32 * over));
    WriteBytes(dir.File("a.img"), "");
    EXPECT_EQ(MessageOf<EOutOfMemory>([&] { ReadDirectory(LocateArchive(dir.File("a.img"))); }), "Out of memory");

    ASSERT_TRUE(WriteSparse(dir.File("v.img"), "VER2" + LE32(uint32_t(over)), 8 + 32 * over));
    EXPECT_EQ(MessageOf<EOutOfMemory>([&] { ReadDirectory(LocateArchive(dir.File("v.img"))); }), "Out of memory");
    // The count is checked against the file's length first.
    WriteBytes(dir.File("w.img"), "VER2" + LE32(0xFFFFFFFFu));
    EXPECT_EQ(MessageOf<EInOutError>([&] { ReadDirectory(LocateArchive(dir.File("w.img"))); }),
              "Read beyond end of file");
}

// Sector offsets are 32-bit: the last sector that can hold data starts
// 2048 bytes before 8 TiB. Positions are 64-bit, so an entry there reads back.
TEST(Limits, DataReachesUpTo8TiBAndAnAddPastThatIsRefused)
{
    TempDir dir;
    const uint64_t lastSector = 8 * kTiB - 2048;
    if (!WriteSparse(dir.File("a.img"), "", lastSector)) GTEST_SKIP() << "the file system holds no 8 TiB file";
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 0, "EMPTY"}}));
    WriteBytes(dir.File("x.bin"), "last");
    TListedCatalogue cat = OpenCat(dir.File("a.img"));
    uint32_t rows = 1;
    AddFileEntry(cat, rows, dir.File("x.bin"));
    EXPECT_EQ(cat.Entries[1].Offset, 0xFFFFFFFFu);

    const Catalogue again = OpenCat(dir.File("a.img"));
    ASSERT_EQ(again.Entries.size(), 2u);
    ExtractEntry(again, 1, dir.File("out.bin"));
    EXPECT_EQ(ReadBytes(dir.File("out.bin")), "last" + std::string(2044, '\0'));

    // The next sector would be number 2^32.
    const std::string dirBefore = ReadBytes(dir.File("a.dir"));
    EXPECT_EQ(MessageOf<EEntryError>([&] { AddFileEntry(cat, rows, dir.File("x.bin")); }),
              "The archive is too large for another entry");
    EXPECT_EQ(std::filesystem::file_size(dir.File("a.img")), 8 * kTiB);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBefore);
    EXPECT_EQ(cat.Entries.size(), 2u);
}

TEST(Limits, ARepackWhoseOffsetsPass32BitsIsRefused)
{
    TempDir dir;
    // B starts at sector 0xFFFFFFF2, C would start past 2^32.
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 0xFFFFFFF0u, "A"}, {1, 0xFFFFFFF0u, "B"}, {1, 1, "C"}}, 4096));
    EXPECT_EQ(MessageOf<std::runtime_error>([&] { RepackArchive(OpenCat(dir.File("v.img"))); }),
              "The repacked archive would be too large");
}

TEST(Limits, AnEntryIsNeverExtractedOverItsOwnArchiveOrDirectory)
{
    TempDir dir;
    const std::string img(4096, 'd');
    const std::string dirBytes = ImgDirBytes({{0, 1, "A"}, {1, 1, "B"}});
    WriteBytes(dir.File("a.img"), img);
    WriteBytes(dir.File("a.dir"), dirBytes);
    const Catalogue cat = OpenCat(dir.File("a.img"));
    for (const char* target : {"a.img", "a.dir"}) {
        EXPECT_EQ(MessageOf<EEntryError>([&] { ExtractEntry(cat, 0, dir.File(target)); }),
                  "An entry cannot be extracted over its own archive: " + dir.File(target));
    }
    EXPECT_EQ(ReadBytes(dir.File("a.img")), img);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
}

// A dictionary and a model stored past 4 GiB of an archive are read like any
// other: the section walk works in 64-bit positions.
TEST(Limits, DictionariesAndModelsPast4GiBAreRead)
{
    TempDir dir;
    const uint64_t txdPos = 5 * kGiB, dffPos = 6 * kGiB;
    const std::string txd = DictionaryBytes({MakeTexture("one", "", 4, 4, std::string(8, 'a')),
                                             MakeTexture("two", "", 8, 8, std::string(32, 'b'))});
    const std::string dff = ModelBytes({QuadGeometry(1, true)});
    if (!WriteSparse(dir.File("big.img"), "", dffPos + dff.size())) GTEST_SKIP() << "no 6 GiB file here";
    WriteAt(dir.File("big.img"), txdPos, txd);
    WriteAt(dir.File("big.img"), dffPos, dff);

    TFile file = TFile::OpenReadWrite(dir.File("big.img"));
    const TEntryBytes txdEntry = ReadBytesAt(file, txdPos, txd.size());
    TSectionCursor txdIn(txdEntry.Bytes);
    const std::vector<TTextureInfo> textures = ReadTextureDictionary(txdIn);
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(textures[1].Name, "two");
    EXPECT_EQ(textures[1].Width, 8u);
    EXPECT_EQ(txd.substr(size_t(textures[1].DataPos), 32), std::string(32, 'b'));

    const TEntryBytes dffEntry = ReadBytesAt(file, dffPos, dff.size());
    TSectionCursor dffIn(dffEntry.Bytes);
    TModelRead model;
    ReadModel(dffIn, model);
    ASSERT_EQ(model.Parts.size(), 1u);
    EXPECT_EQ(model.Parts[0].Triangles.size(), 2u);
}

// 65535 × 65535 is a legal texture size; with no data behind it, its black
// full-size picture (16 GiB) is refused, while its thumbnail is drawn.
TEST(Limits, AHostileTextureSizeIsRefusedBeforeItsPictureIsMade)
{
    TempDir dir;
    WriteBytes(dir.File("t"), std::string(4096, 'x'));
    TFileBytes f(dir.File("t"));
    TTextureInfo t;
    t.Width = t.Height = 65535;
    t.DataSize = 100;  // no encoding has this size: unsupported, black
    t.DataPos = 0;
    EXPECT_EQ(MessageOf<EOutOfMemory>([&] { BuildTextureBitmap(f, t, 65535, 65535, dmColor); }), "Out of memory");
    EXPECT_EQ(BuildTextureBitmap(f, t, 48, 48, dmColor).Pixels.size(), 48u * 48 * 4);
    // Sizes a user asks for stay allowed up to the fixed bound.
    EXPECT_EQ(BuildTextureBitmap(f, t, 2000, 1000, dmMask).Pixels.size(), 2000u * 1000 * 4);
    EXPECT_THROW(BuildTextureBitmap(f, t, 8193, 8192, dmMask), EOutOfMemory);
}
