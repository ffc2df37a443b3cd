#include <gtest/gtest.h>

#include "archive/Errors.h"
#include "archive/FileIO.h"
#include "preview/PreviewDispatch.h"
#include "preview/SectionWalk.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

TEST(EntryExtension, TakesTheLastDotAfterTheLastFolderPartInAsciiUpperCase)
{
    EXPECT_EQ(EntryExtension("player.txd"), ".TXD");
    EXPECT_EQ(EntryExtension("PLAYER.TXD"), ".TXD");
    EXPECT_EQ(EntryExtension("Player.Txd"), ".TXD");
    EXPECT_EQ(EntryExtension("player.txd.bak"), ".BAK");
    // Every Latin letter and only those: not their neighbours, not Cyrillic я.
    EXPECT_EQ(EntryExtension("x.abcdefghijklmnopqrstuvwxyz@[`{\xFF"), ".ABCDEFGHIJKLMNOPQRSTUVWXYZ@[`{\xFF");
    EXPECT_EQ(EntryExtension("readme"), "");
    EXPECT_EQ(EntryExtension("models.d\\car"), "");
    EXPECT_EQ(EntryExtension("models\\car.dff"), ".DFF");
    EXPECT_EQ(EntryExtension("c:car"), "");
    EXPECT_EQ(EntryExtension("a.b:c.ipl"), ".IPL");
    // Only a-z change: a Windows-1251 "я" (0xFF) stays as it is.
    EXPECT_EQ(EntryExtension("x.t\xff"), ".T\xff");
}

TEST(EntrySizeText, SectorKindsDoubleTheSizeByteKindsRoundUp)
{
    TArchiveEntry e{};
    e.Size = 3;
    EXPECT_EQ(EntrySizeText(akImg, e), "6 КБ");
    EXPECT_EQ(EntrySizeText(akImgV2, e), "6 КБ");
    e.Size = 0xFFFFFFFFu;  // no 32-bit wrap
    EXPECT_EQ(EntrySizeText(akImgV2, e), "8589934590 КБ");
    for (auto [bytes, kb] : {std::pair{0u, 0u}, {1u, 1u}, {1024u, 1u}, {1025u, 2u}}) {
        e.Size = bytes;
        EXPECT_EQ(EntrySizeKB(akBig, e), kb) << bytes;
        EXPECT_EQ(EntrySizeKB(akSyb, e), kb) << bytes;
    }
}

namespace {

std::string Section(uint32_t id, const std::string& contents, uint32_t sizeOverride = ~0u)
{
    return LE32(id) + LE32(sizeOverride == ~0u ? uint32_t(contents.size()) : sizeOverride) + LE32(0x1803FFFF) +
           contents;
}

}  // namespace

TEST(FindSection, SkipsOtherSectionsByTheirSizeAndStopsOnTheContents)
{
    TempDir dir;
    const std::string bytes = "pad" + Section(3, "xxxxx") + Section(0x16, Section(1, "abcd"));
    WriteBytes(dir.File("s"), bytes);
    TFile f = TFile::OpenReadWrite(dir.File("s"));
    f.Seek(3);
    TSectionHeader h;
    FindSection(f, 0x16, h);
    EXPECT_EQ(h.Id, 0x16u);
    EXPECT_EQ(h.Size, 16u);
    EXPECT_EQ(h.Version, 0x1803FFFFu);
    EXPECT_EQ(f.Position(), 3u + 17 + 12);
    FindSection(f, 1, h);
    char got[4];
    f.ReadExact(got, 4);
    EXPECT_EQ(std::string(got, 4), "abcd");
}

TEST(FindSection, FailsAtTheEndOfTheFileAndOnSizesPast4GiB)
{
    TempDir dir;
    WriteBytes(dir.File("short"), Section(3, "x") + "12345678");  // a partial header after it
    TFile f = TFile::OpenReadWrite(dir.File("short"));
    TSectionHeader h;
    try {
        FindSection(f, 0x16, h);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    // A size that would wrap the position raises the same error instead of
    // walking back onto the header just read.
    WriteBytes(dir.File("huge"), Section(3, "", 0xFFFFFFF8u) + Section(0x16, ""));
    TFile g = TFile::OpenReadWrite(dir.File("huge"));
    EXPECT_THROW(FindSection(g, 0x16, h), EInOutError);
}
