// Extracting entries to files and folders, and the names their copies get.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "base/Errors.h"
#include "base/NameCodec.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

Catalogue OpenCat(const std::string& path)
{
    const TArchiveLocation where = LocateArchive(path);
    Catalogue cat;
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    return cat;
}

std::string Bytes(size_t n, int seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char((i * 11 + size_t(seed) * 17 + 3) % 253);
    return s;
}

TArchiveEntry Entry(uint32_t offset, const char* name)
{
    TArchiveEntry e{};
    e.Offset = offset;
    std::strcpy(e.Name, name);
    return e;
}

}  // namespace

TEST(EntryExtract, SectorKindsCopyWholeSectorsAndStopAtTheArchivesEnd)
{
    TempDir dir;
    const std::string img = Bytes(5000, 1);
    WriteBytes(dir.File("a.img"), img);
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "ONE"}, {1, 3, "PAST.END"}, {0, 0, "EMPTY"}, {9, 2, "GONE"}}));
    const Catalogue cat = OpenCat(dir.File("a.img"));
    ExtractEntry(cat, 0, dir.File("one"));
    EXPECT_EQ(ReadBytes(dir.File("one")), img.substr(0, 2048));
    ExtractEntry(cat, 1, dir.File("past"));
    EXPECT_EQ(ReadBytes(dir.File("past")), img.substr(2048));
    ExtractEntry(cat, 2, dir.File("empty"));
    EXPECT_EQ(ReadBytes(dir.File("empty")), "");
    // An existing file is overwritten, also by nothing.
    ExtractEntry(cat, 3, dir.File("one"));
    EXPECT_EQ(ReadBytes(dir.File("one")), "");
}

TEST(EntryExtract, ByteKindsCopyExactlyTheirBytes)
{
    TempDir dir;
    WriteBytes(dir.File("s.syb"), SybBytes({{"a.txt", 10}, {"b.txt", 2000}}));
    const Catalogue syb = OpenCat(dir.File("s.syb"));
    ExtractEntry(syb, 1, dir.File("b"));
    EXPECT_EQ(ReadBytes(dir.File("b")), std::string(2000, 'b'));

    std::string big = BigBytes({{40, 5, "x"}, {45, 1030, "y"}});
    big.resize(40, '\0');
    big += "HELLO" + Bytes(1030, 2) + "tail";
    WriteBytes(dir.File("b.big"), big);
    const Catalogue cat = OpenCat(dir.File("b.big"));
    ExtractEntry(cat, 0, dir.File("x"));
    ExtractEntry(cat, 1, dir.File("y"));
    EXPECT_EQ(ReadBytes(dir.File("x")), "HELLO");
    EXPECT_EQ(ReadBytes(dir.File("y")), Bytes(1030, 2));
}

TEST(EntryExtract, TheArchiveItselfIsNeverTheTarget)
{
    TempDir dir;
    WriteBytes(dir.File("v.img"), Ver2Bytes({{1, 1, "A"}}, 4096));
    WriteBytes(dir.File("a.img"), std::string(2048, 'z'));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}));
    const std::string v2 = ReadBytes(dir.File("v.img"));
    EXPECT_THROW(ExtractEntry(OpenCat(dir.File("v.img")), 0, dir.File("v.img")), EEntryError);
    EXPECT_THROW(ExtractEntry(OpenCat(dir.File("a.img")), 0, dir.File("a.dir")), EEntryError);
    EXPECT_THROW(ExtractEntry(OpenCat(dir.File("a.img")), 0, dir.Path() + "/./a.img"), EEntryError);
    EXPECT_EQ(ReadBytes(dir.File("v.img")), v2);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({{0, 1, "A"}}));
    EXPECT_EQ(ReadBytes(dir.File("a.img")), std::string(2048, 'z'));
}

TEST(EntryExtract, SeveralEntriesGoBelowTheFolderUnderTheirRelativePaths)
{
    TempDir dir;
    std::string img;
    for (int i = 0; i < 4; ++i) img += Bytes(2048, 10 + i);
    WriteBytes(dir.File("a.img"), img);
    WriteBytes(dir.File("a.dir"),
               ImgDirBytes({{0, 1, "sub\\a.txd"}, {1, 1, "sub/deep\\b.dff"}, {2, 1, "c.ipl"}, {3, 1, "\xCF\xF0\xE8.txt"}}));
    const Catalogue cat = OpenCat(dir.File("a.img"));
    const std::string out = dir.File("out");
    std::filesystem::create_directories(out + "/sub/deep");
    ExtractEntriesInto(cat, {0, 1, 2, 3}, out);
    EXPECT_EQ(ReadBytes(out + "/sub/a.txd"), Bytes(2048, 10));
    EXPECT_EQ(ReadBytes(out + "/sub/deep/b.dff"), Bytes(2048, 11));
    EXPECT_EQ(ReadBytes(out + "/c.ipl"), Bytes(2048, 12));
    EXPECT_EQ(ReadBytes(out + "/При.txt"), Bytes(2048, 13));

    // No folder is made: a missing one ends the command with its error.
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "c.ipl"}, {1, 1, "nowhere\\x.txd"}, {2, 1, "d.ipl"}}));
    try {
        ExtractEntriesInto(OpenCat(dir.File("a.img")), {0, 1, 2}, dir.File("out2"));
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
    std::filesystem::create_directory(dir.File("out2"));
    EXPECT_THROW(ExtractEntriesInto(OpenCat(dir.File("a.img")), {0, 1, 2}, dir.File("out2")), EInOutError);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out2/c.ipl")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out2/d.ipl")));
}

TEST(EntryExtract, NamesLeadingOutsideTheFolderAreRefusedAndNamed)
{
    TempDir dir;
    std::string img;
    for (int i = 0; i < 6; ++i) img += Bytes(2048, 20 + i);
    WriteBytes(dir.File("a.img"), img);
    const std::string outside = dir.File("evil.txd");
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "..\\evil.txd"}, {1, 1, "ok.txd"}, {2, 1, outside},
                                               {3, 1, "C:\\evil.txd"}, {4, 1, "a/../../evil.txd"}, {5, 1, "..."}}));
    const Catalogue cat = OpenCat(dir.File("a.img"));
    const std::string out = dir.File("out");
    std::filesystem::create_directories(out + "/a");
    try {
        ExtractEntriesInto(cat, {0, 1, 2, 3, 4, 5}, out);
        ADD_FAILURE() << "no error";
    } catch (const EEntryError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Not extracted, the name leads outside the chosen folder: \"..\\evil.txd\", \"" + outside.substr(0, 24) +
                      "\", \"C:\\evil.txd\", \"a/../../evil.txd\"");
    }
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/../evil.txd"));
    EXPECT_EQ(ReadBytes(out + "/ok.txd"), Bytes(2048, 21));
    EXPECT_EQ(ReadBytes(out + "/..."), Bytes(2048, 25));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3);  // a, ok.txd, ...

    // A drive is any Latin letter with a colon, and nothing else is.
    bool safe = true;
    for (char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) {
        RelativeEntryPath(std::string(1, c) + ":x", safe);
        EXPECT_FALSE(safe) << c;
    }
    for (char c : std::string("@[`{")) EXPECT_EQ(RelativeEntryPath(std::string(1, c) + ":x", safe), std::string(1, c) + ":x");
}

TEST(EntryExtract, ExtensionsFiltersAndTemporaryNames)
{
    EXPECT_EQ(FileNameExtension("car.txd"), ".txd");
    EXPECT_EQ(FileNameExtension("README"), "");
    EXPECT_EQ(FileNameExtension("dir.d\\file"), "");
    EXPECT_EQ(FileNameExtension("a.b.Dff"), ".Dff");
    EXPECT_EQ(FilterExtension("car.txd"), "TXD");
    EXPECT_EQ(FilterExtension("README"), "");
    EXPECT_EQ(FilterExtension("x.\xEF\xF0"), "пр");
    EXPECT_EQ(FilterExtension("x.abcdefghijklmnopqrstuvwxyz@[`{"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ@[`{");
    EXPECT_EQ(OpenTempName(Entry(26, "car.txd")), "img0000D000.txd");
    EXPECT_EQ(OpenTempName(Entry(26, "CAR.TxD")), "img0000D000.TxD");
    EXPECT_EQ(OpenTempName(Entry(1, "README")), "img00000800");
    // Only the low 32 bits of the byte position.
    EXPECT_EQ(OpenTempName(Entry(0x200001, "big.dat")), "img00000800.dat");
    // A name's folder parts never reach the temporary file's name.
    EXPECT_EQ(OpenTempName(Entry(2, "x.d/../../etc")), "img00001000");
}

// The temporary folder is shared: links planted there by another user must
// never lead the copy elsewhere, and only a folder of the user's own is used.
TEST(EntryExtract, OpensCopyOnlyInAFolderOfTheUsersOwnNeverThroughALink)
{
    namespace fs = std::filesystem;
    TempDir dir;
    WriteBytes(dir.File("a.img"), Bytes(2 * 2048, 3));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{1, 1, "car.txd"}}));
    const Catalogue cat = OpenCat(dir.File("a.img"));
    const std::string tmp = dir.File("tmp"), own = tmp + "/korvane-" + std::to_string(::geteuid());
    const std::string copy = own + "/img00000800.txd";  // sector 1: byte 0x800
    fs::create_directory(tmp);
    WriteBytes(dir.File("victim"), "precious");
    fs::create_symlink(dir.File("victim"), tmp + "/img00000800.txd");  // the old shared name

    EXPECT_EQ(ExtractEntryForOpen(cat, 0, tmp), copy);
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    EXPECT_EQ(ExtractEntryForOpen(cat, 0, tmp), copy);  // over the copy of the first time
    fs::remove(copy);
    fs::create_symlink(dir.File("victim"), copy);
    EXPECT_EQ(ExtractEntryForOpen(cat, 0, tmp), copy);
    EXPECT_FALSE(fs::is_symlink(copy));
    EXPECT_EQ(ReadBytes(copy), Bytes(2 * 2048, 3).substr(2048));
    EXPECT_EQ(ReadBytes(dir.File("victim")), "precious");

    // What takes the folder's place: a folder with these permissions, a link
    // to a folder of ours, a file, a folder of another user (the last row).
    enum TPlace { Folder, Link, File, Others };
    const std::pair<TPlace, fs::perms> places[] = {{Folder, fs::perms::owner_all | fs::perms::group_read},
                                                   {Folder, fs::perms::owner_all | fs::perms::others_exec},
                                                   {Link, {}}, {File, {}}, {Others, fs::perms::owner_all}};
    for (const auto& [place, mode] : places) {
        SCOPED_TRACE(int(place));
        fs::remove_all(tmp);
        fs::create_directory(tmp);
        if (place == Link) fs::create_directory_symlink(dir.Path(), own);
        if (place == File) WriteBytes(own, "");
        if (place == Folder || place == Others) {
            fs::create_directory(own);
            fs::permissions(own, mode);
        }
        if (place == Others && ::chown(own.c_str(), ::geteuid() + 1, gid_t(-1)) != 0)
            GTEST_SKIP() << "not root: no folder of another user can be made";
        try {
            ExtractEntryForOpen(cat, 0, tmp);
            ADD_FAILURE() << "the folder was used";
        } catch (const EInOutError& e) {
            EXPECT_STREQ(e.what(), "File access denied");
            EXPECT_EQ(e.Path, own);
        }
        EXPECT_FALSE(fs::exists(dir.File("img00000800.txd")));  // not through the link
    }
}
