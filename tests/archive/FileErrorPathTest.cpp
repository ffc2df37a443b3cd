// File errors carry the file they concern beside the message, which stays
// the text the window shows.
#include <gtest/gtest.h>

#include "archive/ArchiveOpen.h"
#include "archive/FileReplace.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// "message @ path" of the EInOutError f raises.
template <class F>
std::string ErrorOf(F&& f)
{
    try {
        f();
    } catch (const EInOutError& e) {
        return std::string(e.what()) + " @ " + e.Path;
    }
    return "(no error)";
}

}  // namespace

TEST(FileErrorPath, OpeningReadingAndWritingNameTheFile)
{
    TempDir dir;
    const std::string none = dir.File("none.img");
    EXPECT_EQ(ErrorOf([&] { TFile::OpenReadOnly(none); }), "File not found @ " + none);
    EXPECT_EQ(ErrorOf([&] { TFile::OpenReadWrite(dir.Path()); }), "File access denied @ " + dir.Path());
    EXPECT_EQ(ErrorOf([&] { TFile::Create(dir.File("no/x")); }), "File not found @ " + dir.File("no/x"));

    WriteBytes(dir.File("three"), "abc");
    TFile f = TFile::OpenReadOnly(dir.File("three"));
    char buf[8];
    EXPECT_EQ(ErrorOf([&] { f.ReadExact(buf, 4); }), "Read beyond end of file @ " + dir.File("three"));
    f.Seek(0);
    TBufferedReader in(f, 2);
    EXPECT_EQ(ErrorOf([&] { in.Read(buf, 5); }), "Read beyond end of file @ " + dir.File("three"));
    // A file opened for reading refuses writes and truncation.
    EXPECT_EQ(ErrorOf([&] { f.Write("x", 1); }), "I/O error 9 @ " + dir.File("three"));
    EXPECT_NE(ErrorOf([&] { f.Truncate(0); }).find(" @ " + dir.File("three")), std::string::npos);
    EXPECT_EQ(ErrorOf([&] { RemoveFile(none); }), "File not found @ " + none);
}

TEST(FileErrorPath, DirectoriesThatRunPastTheirFileNameIt)
{
    TempDir dir;
    // A ".dir" beside the archive with a partial record: the ".dir" is meant.
    WriteBytes(dir.File("a.img"), "");
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}) + "xx");
    EXPECT_EQ(ErrorOf([&] { ReadDirectory(LocateArchive(dir.File("a.img"))); }),
              "Read beyond end of file @ " + dir.File("a.dir"));
    // A missing ".dir" is named, not the archive.
    WriteBytes(dir.File("notes.txt"), "notes");
    EXPECT_EQ(ErrorOf([&] { ReadDirectory(LocateArchive(dir.File("notes.txt"))); }),
              "File not found @ " + dir.File("notes.dir"));
    WriteBytes(dir.File("v.img"), Ver2Bytes({}, 0, 5));
    EXPECT_EQ(ErrorOf([&] { ReadDirectory(LocateArchive(dir.File("v.img"))); }),
              "Read beyond end of file @ " + dir.File("v.img"));
    WriteBytes(dir.File("b.big"), BigBytes({{0x10, 1, "a"}}, 0x7FFF));
    EXPECT_EQ(ErrorOf([&] { ReadDirectory(LocateArchive(dir.File("b.big"))); }),
              "Read beyond end of file @ " + dir.File("b.big"));
    // Errors made up of no file operation carry no path.
    EXPECT_EQ(ErrorOf([] { RaiseIoErrno(2); }), "File not found @ ");
}
