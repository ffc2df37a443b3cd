// Repacking under failures and crashes: the old archive is never lost.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RepackFixtures.h"
#include "archive/ArchiveOpen.h"
#include "archive/FileReplace.h"
#include "archive/Repack.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/AsNobody.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace repack_test;

namespace {

// One archive of either kind with entries that share bytes, are empty, run
// past the end, and need more than one buffer.
struct TFixture {
    bool ver2;
    std::string img;
    std::vector<TDirRecord> recs;
    std::string oldDir;
    TExpected want;
    std::set<std::string> files;

    explicit TFixture(bool v2) : ver2(v2)
    {
        if (ver2) {
            std::tie(img, recs) = ScatteredVer2(40);
        } else {
            recs = {{30, 600, "BIG.TXD"}, {3, 2, "A.DFF"}, {3, 2, "SAME.DFF"}, {0, 0, "NONE"}, {700, 1, "PAST.END"}};
            for (size_t i = 0; i < 3; ++i) Put(img, recs[i].offset * 2048ull, SectorData(recs[i].size, char('a' + i)));
            oldDir = ImgDirBytes(recs);
        }
        want = Expect(ver2, img, recs);
        files = ver2 ? std::set<std::string>{"a.img"} : std::set<std::string>{"a.img", "a.dir"};
    }
    void Write(const TempDir& dir) const
    {
        WriteBytes(dir.File("a.img"), img);
        if (!ver2) WriteBytes(dir.File("a.dir"), oldDir);
    }
    bool IsOld(const TempDir& dir) const
    {
        return ReadBytes(dir.File("a.img")) == img && (ver2 || ReadBytes(dir.File("a.dir")) == oldDir);
    }
    bool IsNew(const TempDir& dir) const
    {
        return ReadBytes(dir.File("a.img")) == want.archive && (ver2 || ReadBytes(dir.File("a.dir")) == want.dir);
    }
};

// Every checked file operation of a repack made to fail in turn: each
// failure leaves the old files byte for byte and no file of the run behind;
// the loop ends when a run meets no failure.
void FailEveryStep(bool ver2, int refuseKernelCopy = 0)
{
    TempDir dir;
    const TFixture fx(ver2);
    uint64_t failures = 0;
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("failing operation " + std::to_string(n));
        fx.Write(dir);
        const Catalogue cat = Open(dir.File("a.img"));
        std::string error;
        bool fired;
        {
            TFaultInjection fault({.FailAt = n, .Errno = EIO, .Ops = foAll, .RefuseKernelCopy = refuseKernelCopy});
            error = IoErrorOf([&] { RepackArchive(cat); });
            fired = fault.Fired();
        }
        EXPECT_EQ(FilesIn(dir.Path()), fx.files);
        if (error != "(no error)") {
            ++failures;
            EXPECT_EQ(error, "I/O error 5");
            ASSERT_TRUE(fx.IsOld(dir));
            EXPECT_EQ(ReadDirectory(LocateArchive(dir.File("a.img"))).size(), fx.recs.size());
            continue;
        }
        // Past the swap a failure (flushing the folder) no longer undoes it.
        ASSERT_TRUE(fx.IsNew(dir));
        if (!fired) break;
    }
    EXPECT_GT(failures, 10u);
    ::testing::Test::RecordProperty("failures", int(failures));
}

// The process ended at every operation in turn, as by a crash: the archive
// that opens afterwards is the old one or the new one, whole. For the
// two-file kind one instant remains, between the rename of the new ".dir"
// and that of the new data: the new ".dir" then sits beside the old data,
// with the old ".dir" and the new data still at their temporary names.
void CrashEveryStep(bool ver2)
{
    TempDir dir;
    const TFixture fx(ver2);
    Catalogue names;
    names.ArchivePath = dir.File("a.img");
    names.DirPath = ver2 ? names.ArchivePath : dir.File("a.dir");
    names.ArchiveKind = ver2 ? akImgV2 : akImg;
    const TRepackFiles temp = RepackFilesFor(names);
    int mixed = 0, old = 0;
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("crash at operation " + std::to_string(n));
        for (const std::string& f : FilesIn(dir.Path())) std::filesystem::remove(dir.File(f));
        fx.Write(dir);
        const Catalogue cat = Open(dir.File("a.img"));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TFaultInjection fault({n, EIO, foAll, true});
            try {
                RepackArchive(cat);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        ASSERT_TRUE(code == 0 || code == kCrashExitCode) << code;
        EXPECT_EQ(ReadDirectory(LocateArchive(dir.File("a.img"))).size(), fx.recs.size());
        if (code == 0) {
            EXPECT_TRUE(fx.IsNew(dir));
            break;
        }
        if (fx.IsOld(dir)) {
            ++old;
        } else if (!fx.IsNew(dir)) {
            ++mixed;
            ASSERT_FALSE(ver2);
            EXPECT_EQ(ReadBytes(dir.File("a.img")), fx.img);
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), fx.want.dir);
            EXPECT_EQ(ReadBytes(temp.DirBackup), fx.oldDir);
            EXPECT_TRUE(ReadBytes(temp.ArchiveTemp) == fx.want.archive);
        }
    }
    EXPECT_GT(old, 10);
    EXPECT_EQ(mixed, ver2 ? 0 : 1);
}

}  // namespace

TEST(RepackFaults, Ver2OpensOldOrNewAfterACrashAtEveryStep) { CrashEveryStep(true); }
TEST(RepackFaults, ImgOpensOldOrNewAfterACrashAtEveryStepButOne) { CrashEveryStep(false); }
TEST(RepackFaults, Ver2SurvivesAFailureAtEveryStep) { FailEveryStep(true); }
TEST(RepackFaults, ImgAndDirSurviveAFailureAtEveryStep) { FailEveryStep(false); }
TEST(RepackFaults, CopyingThroughTheBufferSurvivesAFailureAtEveryStep)
{
    FailEveryStep(true, EXDEV);
    FailEveryStep(false, ENOSYS);
}

// Past 64 MiB the disk is set writing what is copied so far: one more
// counted flush (then the file's and the folder's), and its failure leaves
// the old archive.
TEST(RepackFaults, StartingTheWritebackOfALargeArchiveCountsAndFails)
{
    TempDir dir;
    const std::string file = Ver2Bytes({{2, 33000, "BIG"}}, 2 * 2048 + 33000ull * 2048);
    WriteBytes(dir.File("w.img"), file);
    {
        TFaultInjection fault({.FailAt = 1, .Errno = EIO, .Ops = foSync});
        EXPECT_EQ(IoErrorOf([&] { RepackArchive(Open(dir.File("w.img"))); }), "I/O error 5");
    }
    EXPECT_TRUE(ReadBytes(dir.File("w.img")) == file);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"w.img"}));
    TFaultInjection count({.FailAt = 0, .Ops = foSync});
    RepackArchive(Open(dir.File("w.img")));
    EXPECT_EQ(count.Counted(), 3u);
}

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
    const std::string locked = dir.File("r.img"), inLocked = dir.File("ro/r.img");
    WriteBytes(locked, file);
    std::filesystem::create_directory(dir.File("ro"));
    WriteBytes(inLocked, file);
    ::chmod(locked.c_str(), 0444);
    ::chmod(inLocked.c_str(), 0666);
    ::chmod(dir.File("ro").c_str(), 0555);
    RunAsNobody(dir.Path(), [&] {
        EXPECT_EQ(IoErrorOf([&] { RepackArchive(Open(locked)); }), "File access denied");
        EXPECT_EQ(IoErrorOf([&] { RepackArchive(Open(inLocked)); }), "File access denied");
    });
    ::chmod(dir.File("ro").c_str(), 0755);
    EXPECT_EQ(ReadBytes(locked), file);
    EXPECT_EQ(ReadBytes(inLocked), file);
    EXPECT_EQ(FilesIn(dir.Path()), std::set<std::string>({"r.img", "ro"}));
    EXPECT_EQ(FilesIn(dir.File("ro")), std::set<std::string>({"r.img"}));
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

// foAll counts every kind: the steps of one operation of each kind, one each.
TEST(FaultInjection, AllCountsEveryKind)
{
    TempDir dir;
    WriteBytes(dir.File("x"), "abcdef");
    TFaultInjection all({.FailAt = 0, .Ops = foAll});
    char buf[1];
    TFile f = TFile::OpenReadWrite(dir.File("x"));  // open
    f.ReadExact(buf, 1);                            // read
    f.Write("z", 1);                                // write
    f.Seek(0);                                      // seek
    f.Sync();                                       // sync
    f.Truncate(3);                                  // other
    f.Close();                                      // other
    RenameFile(dir.File("x"), dir.File("y"));       // rename
    RemoveFile(dir.File("y"));                      // remove
    EXPECT_EQ(all.Counted(), 9u);
}
