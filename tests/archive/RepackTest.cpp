// Repacking, checked by reading the files back byte for byte; the expected
// bytes are built here from the layout rules, not by the code under test.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/Errors.h"
#include "archive/FileIO.h"
#include "archive/Repack.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// Sector data of entry i, recognisable wherever it lands.
std::string SectorData(uint32_t sectors, char tag)
{
    std::string s(size_t(sectors) * 2048, tag);
    for (size_t k = 0; k < s.size(); k += 97) s[k] = char(tag + k / 97);
    return s;
}

void Put(std::string& file, uint64_t pos, const std::string& data)
{
    if (file.size() < pos + data.size()) file.resize(pos + data.size(), '\0');
    file.replace(pos, data.size(), data);
}

Catalogue Open(const std::string& path)
{
    const TArchiveLocation where = LocateArchive(path);
    Catalogue cat;
    cat.Entries = ReadDirectory(where);
    cat.ArchivePath = where.ArchivePath;
    cat.DirPath = where.DirPath;
    cat.ArchiveKind = where.Kind;
    return cat;
}

std::set<std::string> FilesIn(const std::string& folder)
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

TExpected Expect(bool ver2, const std::string& old, const std::vector<TDirRecord>& recs)
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
std::pair<std::string, std::vector<TDirRecord>> ScatteredVer2(uint32_t n)
{
    std::vector<TDirRecord> recs;
    const uint32_t first = (8 + 32 * n) / 2048 + 3;
    for (uint32_t i = 0; i < n; ++i)
        recs.push_back({first + ((i * 7) % n) * 2, 1 + i % 2, "E" + std::to_string(i) + ".DFF"});
    std::string file = Ver2Bytes(recs);
    for (uint32_t i = 0; i < n; ++i) Put(file, recs[i].offset * 2048ull, SectorData(recs[i].size, char('A' + i % 50)));
    return {file, recs};
}

}  // namespace

TEST(Repack, Ver2DirectoryFillerAndDataStartFor100_127And128Entries)
{
    const struct {
        uint32_t n;
        size_t dirEnd, filler, dataStart;
    } cases[] = {{100, 3208, 888, 4096}, {127, 4072, 24, 4096}, {128, 4104, 4088, 8192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        TempDir dir;
        auto [file, recs] = ScatteredVer2(c.n);
        WriteBytes(dir.File("v.img"), file);
        Catalogue cat = Open(dir.File("v.img"));
        const std::vector<uint32_t> offsets = RepackArchive(cat);

        const std::string got = ReadBytes(dir.File("v.img"));
        const TExpected want = Expect(true, file, recs);
        EXPECT_EQ(offsets, want.offsets);
        EXPECT_EQ(offsets[0], c.dataStart / 2048);
        ASSERT_EQ(got.size(), want.archive.size());
        EXPECT_TRUE(got == want.archive);
        EXPECT_EQ(got.substr(0, 4), "VER2");
        EXPECT_EQ(got.substr(4, 4), LE32(c.n));
        EXPECT_EQ(got.substr(c.dirEnd, c.filler), std::string(c.filler, '\0'));
        EXPECT_NE(got.substr(c.dataStart, 2048), std::string(2048, '\0'));
        EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"v.img"}));
        // Reopens with the catalogue order, names and sizes kept.
        const TRecArray again = ReadDirectory(LocateArchive(dir.File("v.img")));
        ASSERT_EQ(again.size(), c.n);
        for (uint32_t i = 0; i < c.n; ++i) {
            EXPECT_EQ(EntryName(again[i]), recs[i].name);
            EXPECT_EQ(again[i].Size, recs[i].size);
            EXPECT_EQ(again[i].Offset, want.offsets[i]);
        }
    }
}

TEST(Repack, ImgStartsAtSectorZeroWithEveryEntryWhereThePreviousEnds)
{
    TempDir dir;
    std::vector<TDirRecord> recs = {{14, 2, "B.TXD"}, {10, 3, "A.DFF"}, {20, 1, "C.COL"}};
    std::string img;
    for (size_t i = 0; i < recs.size(); ++i) Put(img, recs[i].offset * 2048ull, SectorData(recs[i].size, char('a' + i)));
    WriteBytes(dir.File("gta3.img"), img);
    WriteBytes(dir.File("gta3.dir"), ImgDirBytes(recs));
    ::chmod(dir.File("gta3.img").c_str(), 0640);
    ::chmod(dir.File("gta3.dir").c_str(), 0604);

    EXPECT_EQ(RepackArchive(Open(dir.File("gta3.img"))), std::vector<uint32_t>({0, 2, 5}));
    const TExpected want = Expect(false, img, recs);
    EXPECT_TRUE(ReadBytes(dir.File("gta3.img")) == want.archive);
    EXPECT_EQ(ReadBytes(dir.File("gta3.img")).size(), 6u * 2048);
    EXPECT_EQ(ReadBytes(dir.File("gta3.dir")), want.dir);
    EXPECT_EQ(ReadBytes(dir.File("gta3.dir")).size(), 96u);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"gta3.img", "gta3.dir"}));
    // The replacements keep the permissions of the files they replace.
    struct stat st {};
    ::stat(dir.File("gta3.img").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ::stat(dir.File("gta3.dir").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
}

TEST(Repack, SharedSectorsGetTwoCopiesAndEmptyEntriesTakeNoSpace)
{
    TempDir dir;
    std::vector<TDirRecord> recs = {{4, 2, "ONE.TXD"}, {4, 2, "TWO.TXD"}, {9, 0, "EMPTY"}, {6, 1, "LAST"}};
    std::string file = Ver2Bytes(recs);
    Put(file, 4 * 2048, SectorData(2, 'q'));
    Put(file, 6 * 2048, SectorData(1, 'z'));
    WriteBytes(dir.File("s.img"), file);
    EXPECT_EQ(RepackArchive(Open(dir.File("s.img"))), std::vector<uint32_t>({2, 4, 6, 6}));
    const std::string got = ReadBytes(dir.File("s.img"));
    EXPECT_TRUE(got == Expect(true, file, recs).archive);
    EXPECT_EQ(got.substr(4096, 4096), SectorData(2, 'q'));
    EXPECT_EQ(got.substr(8192, 4096), SectorData(2, 'q'));
    EXPECT_EQ(got.substr(12288), SectorData(1, 'z'));
}

TEST(Repack, DataRunningPastTheEndIsPaddedSoLaterOffsetsHold)
{
    TempDir dir;
    // The first entry claims 3 sectors from sector 1 but the file ends after
    // 1.5 of them; an empty archive file gives all zeros.
    std::vector<TDirRecord> recs = {{1, 3, "SHORT"}, {0, 1, "FIRST"}};
    std::string img = SectorData(2, 'k') + std::string(1024, 'm');
    WriteBytes(dir.File("p.img"), img);
    WriteBytes(dir.File("p.dir"), ImgDirBytes(recs));
    EXPECT_EQ(RepackArchive(Open(dir.File("p.img"))), std::vector<uint32_t>({0, 3}));
    const std::string got = ReadBytes(dir.File("p.img"));
    ASSERT_EQ(got.size(), 4u * 2048);
    EXPECT_EQ(got.substr(0, 3072), img.substr(2048, 3072));
    EXPECT_EQ(got.substr(3072, 3072), std::string(3072, '\0'));
    EXPECT_EQ(got.substr(6144), img.substr(0, 2048));

    WriteBytes(dir.File("p.img"), "");
    WriteBytes(dir.File("p.dir"), ImgDirBytes({{5, 2, "GONE"}}));
    RepackArchive(Open(dir.File("p.img")));
    EXPECT_EQ(ReadBytes(dir.File("p.img")), std::string(4096, '\0'));
}

TEST(Repack, EmptyCatalogues)
{
    TempDir dir;
    WriteBytes(dir.File("e.img"), Ver2Bytes({}, 10000));
    RepackArchive(Open(dir.File("e.img")));
    EXPECT_EQ(ReadBytes(dir.File("e.img")), "VER2" + LE32(0) + std::string(4088, '\0'));

    WriteBytes(dir.File("f.img"), std::string(5000, 'x'));
    WriteBytes(dir.File("f.dir"), "");
    RepackArchive(Open(dir.File("f.img")));
    EXPECT_EQ(ReadBytes(dir.File("f.img")), "");
    EXPECT_EQ(ReadBytes(dir.File("f.dir")), "");
}

TEST(Repack, TheNewArchiveIsBuiltInDotNewUnlessThatNamesTheArchiveItself)
{
    Catalogue cat;
    cat.ArchiveKind = akImgV2;
    cat.ArchivePath = cat.DirPath = "/no/such/gta3.img";
    EXPECT_EQ(RepackFilesFor(cat).ArchiveTemp, "/no/such/gta3.~new");
    cat.ArchivePath = cat.DirPath = "/no/such/archive";
    EXPECT_EQ(RepackFilesFor(cat).ArchiveTemp, "/no/such/archive.~new");

    TempDir dir;
    auto [file, recs] = ScatteredVer2(5);
    WriteBytes(dir.File("odd.~new"), file);
    Catalogue odd = Open(dir.File("odd.~new"));
    EXPECT_EQ(RepackFilesFor(odd).ArchiveTemp, dir.File("odd.~new~"));
    RepackArchive(odd);
    EXPECT_TRUE(ReadBytes(dir.File("odd.~new")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"odd.~new"}));

    // A leftover of an earlier run is replaced; a link there is not followed.
    WriteBytes(dir.File("keep.txt"), "precious");
    WriteBytes(dir.File("v.img"), file);
    ASSERT_EQ(::symlink(dir.File("keep.txt").c_str(), dir.File("v.~new").c_str()), 0);
    RepackArchive(Open(dir.File("v.img")));
    EXPECT_EQ(ReadBytes(dir.File("keep.txt")), "precious");
    EXPECT_TRUE(ReadBytes(dir.File("v.img")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"odd.~new", "keep.txt", "v.img"}));
}

TEST(Repack, ALinkedArchiveIsReplacedWhereItLies)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("real"));
    auto [file, recs] = ScatteredVer2(4);
    WriteBytes(dir.File("real/r.img"), file);
    ASSERT_EQ(::symlink(dir.File("real/r.img").c_str(), dir.File("l.img").c_str()), 0);
    RepackArchive(Open(dir.File("l.img")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("l.img")));
    EXPECT_TRUE(ReadBytes(dir.File("real/r.img")) == Expect(true, file, recs).archive);
    EXPECT_EQ(FilesIn(dir.File("real")), std::set<std::string>({"r.img"}));
}

// Every checked file operation of a repack made to fail in turn: each
// failure leaves the old files byte for byte and no file of the run behind;
// the loop ends when a run meets no failure.
void FailEveryStep(bool ver2)
{
    TempDir dir;
    std::string img;
    std::vector<TDirRecord> recs;
    if (ver2) {
        std::tie(img, recs) = ScatteredVer2(40);
    } else {
        recs = {{30, 600, "BIG.TXD"}, {3, 2, "A.DFF"}, {3, 2, "SAME.DFF"}, {0, 0, "NONE"}, {700, 1, "PAST.END"}};
        for (size_t i = 0; i < 3; ++i) Put(img, recs[i].offset * 2048ull, SectorData(recs[i].size, char('a' + i)));
    }
    const std::string oldDir = ver2 ? std::string() : ImgDirBytes(recs);
    const TExpected want = Expect(ver2, img, recs);
    const std::set<std::string> before = ver2 ? std::set<std::string>{"a.img"} : std::set<std::string>{"a.img", "a.dir"};

    uint64_t failures = 0;
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("failing operation " + std::to_string(n));
        WriteBytes(dir.File("a.img"), img);
        if (!ver2) WriteBytes(dir.File("a.dir"), oldDir);
        const Catalogue cat = Open(dir.File("a.img"));
        std::string error;
        bool fired;
        {
            TFaultInjection fault({n, EIO, foAll});
            error = IoErrorOf([&] { RepackArchive(cat); });
            fired = fault.Fired();
        }
        EXPECT_EQ(FilesIn(dir.Path()), before);
        if (error != "(no error)") {
            ++failures;
            EXPECT_EQ(error, "I/O error 5");
            ASSERT_TRUE(ReadBytes(dir.File("a.img")) == img);
            if (!ver2) {
                ASSERT_EQ(ReadBytes(dir.File("a.dir")), oldDir);
            }
            EXPECT_EQ(ReadDirectory(LocateArchive(dir.File("a.img"))).size(), recs.size());
            continue;
        }
        // Past the swap a failure (flushing the folder) no longer undoes it.
        ASSERT_TRUE(ReadBytes(dir.File("a.img")) == want.archive);
        if (!ver2) {
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), want.dir);
        }
        if (!fired) break;
    }
    EXPECT_GT(failures, 10u);
    ::testing::Test::RecordProperty("failures", int(failures));
}

TEST(RepackFaults, Ver2SurvivesAFailureAtEveryStep) { FailEveryStep(true); }
TEST(RepackFaults, ImgAndDirSurviveAFailureAtEveryStep) { FailEveryStep(false); }

TEST(RepackFaults, AFailingRenamePutsTheOldDirectoryBack)
{
    TempDir dir;
    std::vector<TDirRecord> recs = {{4, 1, "A"}, {2, 1, "B"}};
    std::string img;
    Put(img, 2 * 2048, SectorData(3, 'r'));
    WriteBytes(dir.File("g.img"), img);
    WriteBytes(dir.File("g.dir"), ImgDirBytes(recs));
    // The first rename puts the new directory in place, the second the data:
    // when that one fails, the directory goes back.
    for (uint64_t n : {1, 2}) {
        SCOPED_TRACE(n);
        const Catalogue cat = Open(dir.File("g.img"));
        TFaultInjection fault({n, EXDEV, foRename});
        EXPECT_EQ(IoErrorOf([&] { RepackArchive(cat); }), "I/O error 18");
        EXPECT_EQ(ReadBytes(dir.File("g.img")), img);
        EXPECT_EQ(ReadBytes(dir.File("g.dir")), ImgDirBytes(recs));
        EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"g.img", "g.dir"}));
    }
}

TEST(RepackFaults, AShortDiskThroughAFileSizeLimit)
{
    TempDir dir;
    auto [file, recs] = ScatteredVer2(60);
    WriteBytes(dir.File("l.img"), file);
    const Catalogue cat = Open(dir.File("l.img"));

    // Writes past the limit fail with EFBIG instead of a signal.
    struct sigaction ignore {}, old {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 50000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const std::string error = IoErrorOf([&] { RepackArchive(cat); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_EQ(error, "Disk full");
    EXPECT_TRUE(ReadBytes(dir.File("l.img")) == file);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"l.img"}));
}

TEST(RepackFaults, MoreThanTheDiskHoldsIsRefusedBeforeWriting)
{
    TempDir dir;
    const std::string file = Ver2Bytes({{2, 0xFFFFFFF0u, "HUGE"}}, 4096);
    WriteBytes(dir.File("h.img"), file);
    EXPECT_EQ(IoErrorOf([&] { RepackArchive(Open(dir.File("h.img"))); }), "Disk full");
    EXPECT_EQ(ReadBytes(dir.File("h.img")), file);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"h.img"}));
}

TEST(RepackFaults, AnUnwritableFolderOrArchiveStopsAtTheStart)
{
    TempDir dir;
    auto [file, recs] = ScatteredVer2(3);
    WriteBytes(dir.File("r.img"), file);
    ::chmod(dir.File("r.img").c_str(), 0444);
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser; the cli test runs this as nobody";
    EXPECT_EQ(IoErrorOf([&] { RepackArchive(Open(dir.File("r.img"))); }), "File access denied");
    ::chmod(dir.File("r.img").c_str(), 0644);
    const Catalogue cat = Open(dir.File("r.img"));
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_EQ(IoErrorOf([&] { RepackArchive(cat); }), "File access denied");
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(dir.File("r.img")), file);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"r.img"}));
}

TEST(FaultInjection, FailsTheNthOperationOfTheChosenKindsWithTheChosenErrno)
{
    TempDir dir;
    WriteBytes(dir.File("x"), "abcdef");
    TFile f = TFile::OpenReadWrite(dir.File("x"));
    char buf[2];
    {
        TFaultInjection fault({2, ENOSPC, foRead});
        f.Seek(0);
        f.ReadExact(buf, 2);
        f.Write("zz", 2);
        EXPECT_EQ(IoErrorOf([&] { f.ReadExact(buf, 2); }), "Disk full");
        EXPECT_TRUE(fault.Fired());
        EXPECT_EQ(fault.FiredOp(), foRead);
        EXPECT_EQ(fault.Counted(), 2u);
        f.ReadExact(buf, 2);  // only the one fails
    }
    TFaultInjection fault({1, EACCES, foRename | foSync});
    EXPECT_EQ(IoErrorOf([&] { RenameFile(dir.File("x"), dir.File("y")); }), "File access denied");
    EXPECT_TRUE(FileExists(dir.File("x")));
}
