// The journal as the next open finds it: whole (rolled back), unfinished,
// damaged or another archive's (removed, nothing applied), and one this user
// may not apply (refused, never the torn directory). And the flushes a
// change costs, the same for one file as for several.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "EntryFaultFixtures.h"
#include "base/Errors.h"
#include "base/FaultInjection.h"
#include "ops/ArchiveOps.h"
#include "support/EntryOpsInRows.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace entry_faults;

namespace {

TNames Listed(const std::string& archive)
{
    TNames names;
    for (const TArchiveEntry& e : ops::OpenForReading(archive).Entries) names.push_back(std::string(EntryName(e)));
    return names;
}

// The journal of a delete of entry 0, copied aside when it was whole (at the
// flush of its folder, the second flush), and the archive after the delete.
struct THotJournal {
    TempDir dir;
    TFixture fx = Ver2();
    std::string journal, after;
    THotJournal()
    {
        WriteBytes(dir.File("a.img"), fx.img);
        struct TCopy {
            std::string from, to;
            static void Run(void* self)
            {
                auto* c = static_cast<TCopy*>(self);
                std::filesystem::copy_file(c->from, c->to);
            }
        } copy{dir.File("a.img.korvane-journal"), dir.File("saved")};
        TListedCatalogue cat(ops::OpenForReading(dir.File("a.img")));
        uint32_t rows = 4;
        {
            TFaultInjection act({.FailAt = 2, .Ops = foSync, .Act = &TCopy::Run, .ActArg = &copy});
            RemoveEntry(cat, rows, 0);
        }
        journal = ReadBytes(copy.to);
        after = ReadBytes(dir.File("a.img"));
    }
    void Put(const std::string& bytes) { WriteBytes(dir.File("a.img.korvane-journal"), bytes); }
    bool JournalLeft() { return std::filesystem::exists(dir.File("a.img.korvane-journal")); }
};

}  // namespace

TEST(ChangeJournal, AWholeJournalIsRolledBackAndAnyOtherRemoved)
{
    THotJournal hot;
    const TNames before = hot.fx.Names(), after = {"B.DFF", "C.COL", "D.IFP"};
    std::string flipped = hot.journal;
    flipped[flipped.size() / 2] ^= 1;
    struct TCase {
        const char* what;
        std::string journal;
        std::string archiveTail;  // appended to the archive after the change
        TNames listed;
    } cases[] = {
        {"whole", hot.journal, "", before},
        {"one byte changed", flipped, "", after},
        {"one byte short", hot.journal.substr(0, hot.journal.size() - 1), "", after},
        {"empty", "", "", after},
        {"another archive's: one sector longer", hot.journal, std::string(2048, 'x'), after},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(hot.dir.File("a.img"), hot.after + c.archiveTail);
        hot.Put(c.journal);
        EXPECT_EQ(Listed(hot.dir.File("a.img")), c.listed);
        EXPECT_FALSE(hot.JournalLeft());
        // Byte for byte: rolled back, or left as it was.
        const std::string want = c.listed == before ? hot.fx.img : hot.after + c.archiveTail;
        EXPECT_EQ(ReadBytes(hot.dir.File("a.img")), want);
    }
}

TEST(ChangeJournal, AJournalThisUserMayNotApplyRefusesTheOpenNamingIt)
{
    THotJournal hot;
    hot.Put(hot.journal);
    {
        // the journal is read, then the archive cannot be opened for writing
        TFaultInjection denied({.FailAt = 2, .Errno = EACCES, .Ops = foOpen});
        try {
            ops::OpenForReading(hot.dir.File("a.img"));
            ADD_FAILURE() << "the torn directory was read";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Path, hot.dir.File("a.img.korvane-journal"));
            EXPECT_NE(std::string(e.what()).find("File access denied"), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(hot.JournalLeft());
    EXPECT_EQ(ReadBytes(hot.dir.File("a.img")), hot.after);
    EXPECT_EQ(Listed(hot.dir.File("a.img")), hot.fx.Names());  // a user who may write it rolls it back
}

// fdatasync of appended data (when any), the journal, its folder, and each
// file written: a constant per command, whatever its number of entries.
TEST(ChangeJournal, FlushesPerCommandDoNotGrowWithItsEntries)
{
    struct TCase {
        const char* what;
        bool ver2;
        int syncs;
        std::function<void(TListedCatalogue&, uint32_t&, const TempDir&)> run;
    } cases[] = {
        {"VER2 delete one", true, 3, [](auto& cat, auto& rows, auto&) { RemoveEntry(cat, rows, 0); }},
        {"VER2 delete three", true, 3,
         [](auto& cat, auto&, auto&) {
             OnLoan(cat, [](ops::TLockedCatalogue& l) {
                 TEntryChanges changes;
                 ops::Delete(l, {0, 1, 3}, changes);
             });
         }},
        {".img delete one", false, 3, [](auto& cat, auto& rows, auto&) { RemoveEntry(cat, rows, 2); }},
        {"VER2 add one", true, 4, [](auto& cat, auto& rows, auto& d) { AddFileEntry(cat, rows, d.File("s0")); }},
        {".img add three", false, 4,
         [](auto& cat, auto&, auto& d) {
             OnLoan(cat, [&](ops::TLockedCatalogue& l) {
                 TEntryChanges changes;
                 ops::Add(l, {d.File("s0"), d.File("s1"), d.File("s2")}, changes);
             });
         }},
        {".img replace in place", false, 4,
         [](auto& cat, auto& rows, auto& d) { ReplaceEntry(cat, rows, 1, d.File("s0")); }},
        {"VER2 replace in place", true, 3,
         [](auto& cat, auto& rows, auto& d) { ReplaceEntry(cat, rows, 1, d.File("s0")); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const TFixture fx = c.ver2 ? Ver2() : Img();
        WriteBytes(dir.File("a.img"), fx.img);
        if (!c.ver2) WriteBytes(dir.File("a.dir"), fx.dir);
        for (int i = 0; i < 3; ++i) WriteBytes(dir.File("s" + std::to_string(i)), Pattern(100 + i, i));
        TListedCatalogue cat(ops::OpenForReading(dir.File("a.img")));
        uint32_t rows = uint32_t(cat.Entries.size());
        TFaultInjection count({.FailAt = 0, .Ops = foSync});
        c.run(cat, rows, dir);
        EXPECT_EQ(count.Counted(), uint64_t(c.syncs));
    }
}
