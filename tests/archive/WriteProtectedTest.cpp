// Archives the user may only read: every kind is listed and extracted, and
// the changes are refused before anything is written.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "base/Errors.h"
#include "ops/ArchiveOps.h"
#include "ops/TextureOps.h"
#include "ops/Writability.h"
#include "support/ArchiveWriters.h"
#include "support/AsNobody.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

std::string ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EInOutError& e) {
        return std::string(e.what()) + " @ " + e.Path;
    }
    return "(no error)";
}

const std::string Two = "TWO" + std::string(2045, '\0');  // entry 1 of the sector kinds: sector 1 whole

}  // namespace

TEST(WriteProtected, EveryKindOpensListsAndExtracts)
{
    struct TRow {
        const char* file;
        std::string bytes, dir, entry1;
    } rows[] = {
        {"a.img", "ONE" + std::string(2045, '\0') + Two, ImgDirBytes({{0, 1, "ONE"}, {1, 1, "TWO"}}), Two},
        {"v.img", Ver2Bytes({{0, 0, "ONE"}, {1, 1, "TWO"}}, 2048) + Two, "", Two},
        // Directory of 2 × (4 name bytes + 4 size bytes) = 16: data from byte 24, entry 1 at 27.
        {"s.syb", "VXBG" + LE32(16) + std::string("ONE\0", 4) + LE32(3) + std::string("TWO\0", 4) + LE32(3) + "ONETWO",
         "", "TWO"},
        {"b.big", BigBytes({{40, 3, "ONE"}, {43, 3, "TWO"}}) + "ONETWO", "", "TWO"},  // records end at 40
    };
    for (const TRow& row : rows) {
        TempDir dir;
        const std::string path = dir.File(row.file);
        WriteBytes(path, row.bytes);
        ::chmod(path.c_str(), 0444);
        if (!row.dir.empty()) {
            WriteBytes(dir.File("a.dir"), row.dir);
            ::chmod(dir.File("a.dir").c_str(), 0444);
        }
        RunAsNobody(dir.Path(), [&] {
            Catalogue cat = OpenCatalogue(path);
            ASSERT_EQ(cat.Entries.size(), 2u) << row.file;
            EXPECT_EQ(EntryName(cat.Entries[1]), "TWO");
            EXPECT_FALSE(ArchiveWritable(LocateArchive(path)));
            ExtractEntry(cat, 1, dir.File("out"));
            EXPECT_EQ(ReadBytes(dir.File("out")), row.entry1) << row.file;
        });
        EXPECT_EQ(ReadBytes(path), row.bytes) << row.file;
        if (!row.dir.empty()) {
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), row.dir);
        }
    }
}

TEST(WriteProtected, AnImgNeedsBothItsFilesWritableTheOtherKindsTheArchive)
{
    TempDir dir;
    WriteBytes(dir.File("a.img"), std::string(2048, 'a'));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}));
    WriteBytes(dir.File("s.syb"), "VXBG" + LE32(0));  // no "s.dir", which it never uses
    WriteBytes(dir.File("new.bin"), std::string(4096, 'n'));
    for (const char* f : {"s.syb", "new.bin"}) ::chmod(dir.File(f).c_str(), 0666);
    const struct {
        mode_t img, dir;
        const char* refused;  // the file a change names
    } rows[] = {{0666, 0666, nullptr}, {0666, 0444, "a.dir"}, {0444, 0666, "a.img"}};
    for (const auto& row : rows) {
        ::chmod(dir.File("a.img").c_str(), row.img);
        ::chmod(dir.File("a.dir").c_str(), row.dir);
        RunAsNobody(dir.Path(), [&] {
            EXPECT_EQ(ArchiveWritable(LocateArchive(dir.File("a.img"))), !row.refused) << row.img << " " << row.dir;
            EXPECT_TRUE(ArchiveWritable(LocateArchive(dir.File("s.syb"))));
            if (!row.refused) return;
            // Each change is refused before it writes either file, though
            // some of them write only one.
            ops::TLockedCatalogue cat{TArchiveLock(), OpenCatalogue(dir.File("a.img"))};
            const std::string denied = "File access denied @ " + dir.File(row.refused);
            EXPECT_EQ(ErrorOf([&] { TEntryChanges changes; ops::Add(cat, dir.File("new.bin"), changes); }), denied);
            EXPECT_EQ(ErrorOf([&] { TEntryChanges changes; ops::Replace(cat, 0, dir.File("new.bin"), changes); }), denied);
            EXPECT_EQ(ErrorOf([&] { TEntryChanges changes; ops::Rename(cat, 0, "B", changes); }), denied);
            EXPECT_EQ(ErrorOf([&] { TEntryChanges changes; ops::Delete(cat, {0}, changes); }), denied);
            const TTextureChange texture{TTextureChangeKind::Remove, "T", "", {}};
            EXPECT_EQ(ErrorOf([&] { TEntryChanges changes; ops::ChangeTexture(cat, 0, texture, changes); }), denied);
        });
        EXPECT_EQ(ReadBytes(dir.File("a.img")), std::string(2048, 'a'));
        EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({{0, 1, "A"}}));
    }
}

TEST(WriteProtected, ANamedPipeGivenAsAnArchiveFailsAtOnce)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0666), 0);
    // Read-only, with no writer at the other end, the open itself would wait:
    // the alarm ends such a wait with the process.
    ::alarm(10);
    EXPECT_EQ(ErrorOf([&] { OpenCatalogue(dir.File("pipe")); }), "I/O error 29 @ " + dir.File("pipe"));  // ESPIPE
    ::alarm(0);
}

TEST(WriteProtected, AWriteProtectedFileIsAddedAndReplacedWith)
{
    // Entry 0 "A" is one sector of 'a'; the 0444 sources: 100 bytes fit it, 2049 do not.
    const std::string a(2048, 'a'), s(100, 's'), b(2049, 'b');
    const struct {
        const char* op;
        std::string img, dir;
    } rows[] = {
        {"add", a + s + std::string(1948, '\0'), ImgDirBytes({{0, 1, "A"}, {1, 1, "s.bin"}})},
        {"in place", s + a.substr(100), ImgDirBytes({{0, 1, "s.bin"}})},
        {"moved", a + b + std::string(2047, '\0'), ImgDirBytes({{1, 2, "b.bin"}})},
    };
    for (const bool nobody : {false, true})
        for (const auto& row : rows) {
            TempDir dir;
            WriteBytes(dir.File("a.img"), a);
            WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}));
            WriteBytes(dir.File("s.bin"), s);
            WriteBytes(dir.File("b.bin"), b);
            for (const char* f : {"a.img", "a.dir"}) ::chmod(dir.File(f).c_str(), 0666);
            for (const char* f : {"s.bin", "b.bin"}) ::chmod(dir.File(f).c_str(), 0444);
            const auto change = [&] {
                ops::TLockedCatalogue cat = ops::OpenForChanging(dir.File("a.img"));
                TEntryChanges changes;
                if (row.op == std::string("add")) ops::Add(cat, dir.File("s.bin"), changes);
                else ops::Replace(cat, 0, dir.File(row.op == std::string("moved") ? "b.bin" : "s.bin"), changes);
            };
            if (nobody) RunAsNobody(dir.Path(), [&] { EXPECT_EQ(ErrorOf(change), "(no error)") << row.op; });
            else EXPECT_EQ(ErrorOf(change), "(no error)") << row.op;
            EXPECT_EQ(ReadBytes(dir.File("a.img")), row.img) << row.op << " nobody " << nobody;
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), row.dir) << row.op << " nobody " << nobody;
            EXPECT_EQ(ReadBytes(dir.File("s.bin")) + ReadBytes(dir.File("b.bin")), s + b);
        }
    // A folder is still refused before anything is written (not even the
    // zero that would fill up the cut last sector).
    TempDir dir;
    WriteBytes(dir.File("a.img"), a.substr(1));
    WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A"}}));
    ops::TLockedCatalogue cat = ops::OpenForChanging(dir.File("a.img"));
    TEntryChanges changes;
    EXPECT_EQ(ErrorOf([&] { ops::Add(cat, dir.Path(), changes); }), "File access denied @ " + dir.Path());
    EXPECT_EQ(ErrorOf([&] { ops::Replace(cat, 0, dir.Path(), changes); }), "File access denied @ " + dir.Path());
    EXPECT_EQ(ReadBytes(dir.File("a.img")) + ReadBytes(dir.File("a.dir")), a.substr(1) + ImgDirBytes({{0, 1, "A"}}));
}
