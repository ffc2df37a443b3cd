// The operations' refusals, each with the message the user sees, and what
// each change reports to the rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"
#include "ops/ServiceOps.h"
#include "ops/TextureOps.h"
#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

using C = TEntryChange;

std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing raised)";
}

class OpsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A.TXD"}, {1, 1, "B.DFF"}, {2, 1, "C.COL"}}));
        WriteBytes(dir.File("a.img"), std::string(3 * 2048, 'x'));
        WriteBytes(dir.File("s.syb"), SybBytes({{"A.TXD", 4}, {"B.DFF", 4}}));
        WriteBytes(dir.File("b.big"), BigBytes({{0, 4, "A.TXD"}}));
        WriteBytes(dir.File("new.bin"), std::string(3000, 'n'));
        WriteBytes(dir.File("small.bin"), "s");
    }
    TempDir dir;
};

}  // namespace

TEST_F(OpsTest, RefusalsCarryTheMessagesTheUserSees)
{
    const std::string viewOnly = "Entries of VXBG and BIGF archives can only be viewed and extracted";
    const std::string service = "only .img and VER2 archives have this command";
    const std::string img = dir.File("a.img"), syb = dir.File("s.syb"), big = dir.File("b.big");
    const std::string out = dir.File("out.bin"), file = dir.File("new.bin");
    const TTextureChange change{TTextureChangeKind::Remove, "X", "", {}};
    using TOp = std::function<void(ops::TLockedCatalogue&, TEntryChanges&)>;
    const struct {
        const char* archive;
        TOp op;
        std::string message;
    } rows[] = {
        // The number first, for every kind.
        {"a.img", [&](ops::TLockedCatalogue& c, TEntryChanges&) { ops::Extract(c.Cat, 3, out); }, "No entry 3 in the archive"},
        {"a.img", [&](ops::TLockedCatalogue& c, TEntryChanges&) { ops::ExtractInto(c.Cat, {0, 4}, dir.Path()); }, "No entry 4 in the archive"},
        {"a.img", [&](ops::TLockedCatalogue& c, TEntryChanges&) { ops::ExtractForOpen(c.Cat, 3, dir.Path()); }, "No entry 3 in the archive"},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Replace(c, 2, file, ch); }, "No entry 2 in the archive"},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Delete(c, {0, 2}, ch); }, "No entry 2 in the archive"},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Rename(c, 2, "N", ch); }, "No entry 2 in the archive"},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::ChangeTexture(c, 2, change, ch); }, "No entry 2 in the archive"},
        // Then the kind.
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Add(c, file, ch); }, viewOnly},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Replace(c, 1, file, ch); }, viewOnly},
        {"b.big", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Delete(c, {0}, ch); }, viewOnly},
        {"b.big", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Rename(c, 0, "N", ch); }, viewOnly},
        {"b.big", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::ChangeTexture(c, 0, change, ch); }, viewOnly},
        {"s.syb", [&](ops::TLockedCatalogue& c, TEntryChanges&) { ops::Repack(c); }, service},
        {"b.big", [&](ops::TLockedCatalogue& c, TEntryChanges&) { ops::Check(c.Cat); }, service},
    };
    const std::string imgBytes = ReadBytes(img), dirBytes = ReadBytes(dir.File("a.dir"));
    const std::string sybBytes = ReadBytes(syb), bigBytes = ReadBytes(big);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message + " / " + row.archive);
        ops::TLockedCatalogue cat = ops::OpenForChanging(dir.File(row.archive));
        TEntryChanges changes;
        EXPECT_EQ(MessageOf([&] { row.op(cat, changes); }), row.message);
        EXPECT_TRUE(changes.Steps.empty());
    }
    // Nothing was written.
    EXPECT_EQ(ReadBytes(img), imgBytes);
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), dirBytes);
    EXPECT_EQ(ReadBytes(syb), sybBytes);
    EXPECT_EQ(ReadBytes(big), bigBytes);
    EXPECT_FALSE(std::filesystem::exists(out));
    // The number and count travel with the refusal, for korvane-cli's wording.
    const Catalogue cat = ops::OpenForReading(img);
    try {
        ops::CheckEntryIndex(cat, 7);
        ADD_FAILURE();
    } catch (const ops::ENoSuchEntry& e) {
        EXPECT_EQ(e.Index, 7u);
        EXPECT_EQ(e.Count, 3u);
    }
    EXPECT_NO_THROW(ops::CheckEntryIndex(cat, 2));  // the last entry
}

TEST_F(OpsTest, ChangesReportWhatHappenedToTheEntries)
{
    const std::string img = dir.File("a.img");
    const struct {
        const char* what;
        std::function<void(ops::TLockedCatalogue&, TEntryChanges&)> op;
        std::vector<TEntryChange> steps;
        std::vector<std::string> names;  // the directory afterwards
    } rows[] = {
        {"add", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Add(c, dir.File("small.bin"), ch); }, {C::Added(3)},
         {"A.TXD", "B.DFF", "C.COL", "small.bin"}},
        {"delete, highest first, once each", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Delete(c, {0, 2, 0}, ch); },
         {C::Removed(2), C::Removed(0)}, {"B.DFF"}},
        {"replace in place", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Replace(c, 1, dir.File("small.bin"), ch); },
         {C::Changed(1)}, {"A.TXD", "small.bin", "C.COL"}},
        {"replace moved", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Replace(c, 0, dir.File("new.bin"), ch); },
         {C::Moved(0, 2)}, {"B.DFF", "C.COL", "new.bin"}},
        {"rename", [&](ops::TLockedCatalogue& c, TEntryChanges& ch) { ops::Rename(c, 2, "D.IFP", ch); }, {C::Changed(2)},
         {"A.TXD", "B.DFF", "D.IFP"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        ops::TLockedCatalogue cat = ops::OpenForChanging(img);
        TEntryChanges changes;
        row.op(cat, changes);
        cat.Lock.Release();  // as the command ends, before the directory is read again
        EXPECT_EQ(changes.Steps, row.steps);
        const Catalogue again = ops::OpenForReading(img);
        std::vector<std::string> names;
        for (const TArchiveEntry& e : again.Entries) names.emplace_back(EntryName(e));
        EXPECT_EQ(names, row.names);
    }
}

// The window's check for another program's change, on every kind: the same
// directory is unchanged; one name changed is not.
TEST_F(OpsTest, ADirectoryIsUnchangedUntilAnEntryIsRenamedOnEveryKind)
{
    const struct {
        const char* file;
        std::string renamed;
    } cases[] = {
        {"a.img", ""},
        {"s.syb", SybBytes({{"A.TXD", 4}, {"Z.DFF", 4}})},
        {"b.big", BigBytes({{0, 4, "Z.TXD"}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Catalogue loaded = ops::OpenForReading(dir.File(c.file));
        EXPECT_TRUE(ops::DirectoryUnchanged(loaded));
        if (c.renamed.empty()) WriteBytes(dir.File("a.dir"), ImgDirBytes({{0, 1, "A.TXD"}, {1, 1, "Z.DFF"}, {2, 1, "C.COL"}}));
        else WriteBytes(dir.File(c.file), c.renamed);
        EXPECT_FALSE(ops::DirectoryUnchanged(loaded));
    }
}
