#include <gtest/gtest.h>

#include "archive/ArchiveOpen.h"
#include "archive/FileIO.h"
#include "demo/DemoArchives.h"
#include "support/TempDir.h"

using namespace korvane;

// Every demo archive opens as its kind and holds exactly the demo entries,
// byte for byte where its kind counts bytes, sector-padded where it counts sectors.
TEST(DemoArchives, EveryKindHoldsTheSameEntries)
{
    TempDir dir;
    const auto paths = MakeDemoArchives(dir.Path());
    ASSERT_EQ(paths.size(), 4u);
    const auto entries = DemoEntries();
    const TArchiveKind kinds[] = {akImg, akImgV2, akSyb, akBig};
    for (size_t k = 0; k < 4; ++k) {
        const TArchiveLocation where = LocateArchive(paths[k]);
        EXPECT_EQ(where.Kind, kinds[k]) << paths[k];
        const TRecArray got = ReadDirectory(where);
        ASSERT_EQ(got.size(), entries.size()) << paths[k];
        TFile file = TFile::OpenReadWrite(where.ArchivePath);
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(EntryName(got[i]), entries[i].first);
            const uint64_t len = EntryByteLen(where.Kind, got[i]);
            ASSERT_GE(len, entries[i].second.size());
            ASSERT_LT(len - entries[i].second.size(), IsSectorKind(where.Kind) ? 2048u : 1u);
            std::string bytes(len, '\0');
            file.Seek(EntryBytePos(where.Kind, got[i]));
            file.ReadExact(bytes.data(), bytes.size());
            EXPECT_EQ(bytes.substr(0, entries[i].second.size()), entries[i].second) << entries[i].first;
            EXPECT_EQ(bytes.find_first_not_of('\0', entries[i].second.size()), std::string::npos);
        }
    }
}

TEST(DemoArchives, EntriesCoverEveryPreview)
{
    const auto entries = DemoEntries();
    auto starts = [&](size_t i, const char* magic) { return entries[i].second.compare(0, 4, magic, 4) == 0; };
    EXPECT_TRUE(starts(0, "\x16\0\0\0"));  // texture dictionary
    EXPECT_TRUE(starts(1, "\x10\0\0\0"));  // clump
    EXPECT_TRUE(starts(2, "bnry"));
    EXPECT_FALSE(starts(3, "bnry"));
}
