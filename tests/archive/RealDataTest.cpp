// The readers against archives written by other people's tools.
#include <gtest/gtest.h>

#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "base/Errors.h"
#include "listview/CellText.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// Opening only reads: the samples may well be write-protected.
std::string Sample(const std::string& name)
{
    const std::string root = RealDataDir();
    if (root.empty()) return {};
    const std::string path = root + "/" + name;
    return ::access(path.c_str(), R_OK) == 0 ? path : std::string();
}

#define SAMPLE_OR_SKIP(var, name)                                                                   \
    const std::string var = Sample(name);                                                           \
    if (var.empty()) GTEST_SKIP() << "sample " << name << " is not there or not readable by this user"

}  // namespace

TEST(RealData, TwoFileImgArchive)
{
    SAMPLE_OR_SKIP(img, "img/gtaimgrs_v1.img");
    const TArchiveLocation where = LocateArchive(img);
    EXPECT_EQ(where.Kind, akImg);
    const TRecArray e = ReadDirectory(where);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(EntryName(e[0]), "VIRGO.DFF");
    EXPECT_EQ(e[0].Offset, 0u);
    EXPECT_EQ(e[0].Size, 1u);
    EXPECT_EQ(EntryName(e[1]), "LANDSTAL.DFF");
    EXPECT_EQ(e[1].Offset, 1u);
    EXPECT_EQ(e[1].Size, 2u);
    EXPECT_EQ(EntryName(e[2]).size(), 24u);
    EXPECT_EQ(e[2].Offset, 3u);
    EXPECT_EQ(e[2].Size, 8u);
}

TEST(RealData, Ver2Archive)
{
    SAMPLE_OR_SKIP(img, "img/gtaimgrs_v2.img");
    const TArchiveLocation where = LocateArchive(img);
    EXPECT_EQ(where.Kind, akImgV2);
    const TRecArray e = ReadDirectory(where);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(EntryName(e[0]), "VIRGO.DFF");
    EXPECT_EQ(EntryName(e[1]), "LANDSTAL.DFF");
    const uint32_t offsets[] = {1, 2, 3}, sizes[] = {1, 1, 8};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(e[i].Offset, offsets[i]);
        EXPECT_EQ(e[i].Size, sizes[i]);
        EXPECT_EQ(e[i].DirPos, 8 + 32 * i);
    }
}

TEST(RealData, BigfArchive)
{
    SAMPLE_OR_SKIP(big, "big/opensage_test.big");
    const TArchiveLocation where = LocateArchive(big);
    EXPECT_EQ(where.Kind, akBig);
    const TRecArray e = ReadDirectory(where);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(EntryName(e[0]), "a.txt");
    EXPECT_EQ(e[0].Offset, 0x34u);
    EXPECT_EQ(e[0].Size, 16u);
    EXPECT_EQ(EntryName(e[1]), "c.txt");
    EXPECT_EQ(e[1].Offset, 0x44u);
    EXPECT_EQ(FormatSize(e[1].Size, "."), "16 байт");
}

TEST(RealData, Big4ArchivesReadAsBigf)
{
    {
        SAMPLE_OR_SKIP(big, "big/libbig_rs_test.big");
        const TArchiveLocation where = LocateArchive(big);
        EXPECT_EQ(where.Kind, akBig);
        const TRecArray e = ReadDirectory(where);
        ASSERT_EQ(e.size(), 2u);
        EXPECT_EQ(EntryName(e[0]), "art/image.txt");
        EXPECT_EQ(e[0].Offset, 69u);
        EXPECT_EQ(e[0].Size, 7u);
        EXPECT_EQ(EntryName(e[1]), "data/test.ini");
        EXPECT_EQ(e[1].Offset, 76u);
        EXPECT_EQ(e[1].Size, 26u);
    }
    {
        SAMPLE_OR_SKIP(big, "big/pybig_test_big.big");
        const TArchiveLocation where = LocateArchive(big);
        EXPECT_EQ(where.Kind, akBig);
        const TRecArray e = ReadDirectory(where);
        ASSERT_EQ(e.size(), 1u);
        EXPECT_EQ(EntryName(e[0]), "read_me_for_test.txt");
        EXPECT_EQ(e[0].Offset, 50u);
        EXPECT_EQ(e[0].Size, 0u);
    }
}
