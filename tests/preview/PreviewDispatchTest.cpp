#include <gtest/gtest.h>

#include "archive/Errors.h"
#include "archive/FileIO.h"
#include "preview/PreviewDispatch.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"
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

TEST(SectionCursor, FindSkipsOtherSectionsByTheirSizeAndStopsOnTheContents)
{
    const std::string bytes = "pad" + Section(rwExtension, "xxxxx") + Section(rwTextureDictionary, Section(rwStruct, "abcd"));
    TSectionCursor f(AsBytes(bytes));
    f.Seek(3);
    TSectionHeader h = f.Find(rwTextureDictionary);
    EXPECT_EQ(h.Id, 0x16u);
    EXPECT_EQ(h.Size, 16u);
    EXPECT_EQ(h.Version, 0x1803FFFFu);
    EXPECT_EQ(f.Position(), 3u + 17 + 12);
    f.Find(rwStruct);
    char got[4];
    f.ReadExact(got, 4);
    EXPECT_EQ(std::string(got, 4), "abcd");
}

TEST(SectionCursor, FindFailsAtTheEndOfTheBytesAndOnSizesPast4GiB)
{
    const std::string shortBytes = Section(rwExtension, "x") + "12345678";  // a partial header after it
    TSectionCursor f(AsBytes(shortBytes), "/x/short");
    try {
        f.Find(rwTextureDictionary);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
        EXPECT_EQ(e.Path, "/x/short");
    }
    // A size that would wrap the position raises the same error instead of
    // walking back onto the header just read.
    const std::string huge = Section(rwExtension, "", 0xFFFFFFF8u) + Section(rwTextureDictionary, "");
    TSectionCursor g(AsBytes(huge));
    EXPECT_THROW(g.Find(rwTextureDictionary), EInOutError);
}
