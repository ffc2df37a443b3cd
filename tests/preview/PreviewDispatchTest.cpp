#include <gtest/gtest.h>

#include "archive/Errors.h"
#include "archive/FileIO.h"
#include "preview/PreviewDispatch.h"
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
