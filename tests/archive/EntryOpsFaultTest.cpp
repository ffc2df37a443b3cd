// The entry operations with a failure, or a crash, at every file operation in
// turn. Whatever was written before the failure stays; beyond that no other
// entry's data is touched, a failed add leaves the directory as it was until
// the new data is whole, the archive always opens again, and the catalogue
// lists what the directory holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <numeric>
#include <set>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

#include "EntryFaultFixtures.h"
#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureDictionaryEdit.h"
#include "ops/ArchiveOps.h"
#include "ops/TextureOps.h"
#include "support/ArchiveWriters.h"
#include "support/DictionaryWriters.h"
#include "support/EntryOpsInRows.h"
#include "support/ExtractLinkCases.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace entry_faults;

namespace {

// Texture gives the dictionary in the target entry the picture in
// sources[0] as its texture "tex" (the entry keeps its name).
enum class TOp { Add, Remove, ReplaceInPlace, ReplaceMoved, Rename, Extract, ExtractInto, Texture };

bool TextureOp(TOp op) { return op == TOp::Texture; }

struct TCase {
    TOp op;
    uint32_t target = 0;
    std::vector<std::pair<std::string, std::string>> sources = {};  // file name, bytes
};

const char* const kRenamed = "RENAMED.BIN";

void WriteFiles(const TFixture& fx, const TCase& c, const TempDir& dir)
{
    WriteBytes(dir.File("a.img"), fx.img);
    if (!fx.ver2) WriteBytes(dir.File("a.dir"), fx.dir);
    for (const auto& [name, bytes] : c.sources) WriteBytes(dir.File(name), bytes);
    std::filesystem::remove(dir.File("out.bin"));
    std::filesystem::remove_all(dir.File("out"));
    std::filesystem::create_directory(dir.File("out"));
}

// The entries that ExtractInto copies: the target and the two after it.
std::vector<uint32_t> IntoTargets(const TCase& c) { return {c.target, c.target + 1, c.target + 2}; }

TListedCatalogue OpenCat(const std::string& path) { return TListedCatalogue(OpenCatalogue(path)); }

// Runs the command as the window and korvane-cli do (several files: one
// AddFileEntry after another).
void Run(TListedCatalogue& cat, uint32_t& rows, const TCase& c, const TempDir& dir)
{
    switch (c.op) {
    case TOp::Add:
        for (const auto& source : c.sources) AddFileEntry(cat, rows, dir.File(source.first));
        break;
    case TOp::Remove: RemoveEntry(cat, rows, c.target); break;
    case TOp::ReplaceInPlace:
        EXPECT_EQ(ReplaceEntry(cat, rows, c.target, dir.File(c.sources[0].first)), TReplaceResult::rrInPlace);
        break;
    case TOp::ReplaceMoved:
        EXPECT_EQ(ReplaceEntry(cat, rows, c.target, dir.File(c.sources[0].first)), TReplaceResult::rrMoved);
        break;
    case TOp::Rename: {
        TEntryChanges changes;
        OnLoan(cat, [&](ops::TLockedCatalogue& l) { ops::Rename(l, c.target, kRenamed, changes); });
        break;
    }
    case TOp::Extract: ExtractEntry(cat, c.target, dir.File("out.bin")); break;
    case TOp::ExtractInto: ExtractEntriesInto(cat, IntoTargets(c), dir.File("out")); break;
    case TOp::Texture: {
        OnLoan(cat, [&](ops::TLockedCatalogue& l) {
            TShownRows shown(l.Cat, cat, rows);
            ops::ChangeTexture(l, c.target, {TTextureChangeKind::Replace, "TEX", dir.File(c.sources[0].first), {}},
                               shown.Changes());
        });
        break;
    }
    }
}

// The target's dictionary after a texture op, as the change makes it.
std::string ChangedDictionary(const TFixture& fx, const TCase& c, const TempDir& dir)
{
    static std::map<std::string, std::string> made;  // by picture and dictionary: each is encoded once
    std::string& bytes = made[c.sources[0].second + fx.data.at(fx.recs[c.target].name)];
    if (!bytes.empty()) return bytes;
    TTextureDictionaryParts parts = SplitDictionary(fx.data.at(fx.recs[c.target].name), 0);
    ApplyTextureChange(parts, {TTextureChangeKind::Replace, "tex", dir.File(c.sources[0].first), {}});
    return bytes = JoinDictionary(parts);
}

TNames Without(TNames names, size_t i)
{
    names.erase(names.begin() + long(i));
    return names;
}

TNames Plus(TNames names, const std::string& name)
{
    names.push_back(name);
    return names;
}

// The name lists the directory may hold after the command stopped anywhere
// (the last one is the list of a finished command).
std::vector<TNames> Stages(const TFixture& fx, const TCase& c)
{
    const TNames old = fx.Names();
    TNames renamed = old;
    switch (c.op) {
    case TOp::Add: {
        std::vector<TNames> s{old};
        for (const auto& source : c.sources) s.push_back(Plus(s.back(), source.first));
        return s;
    }
    case TOp::Texture: return {old};  // the entry keeps its slot
    case TOp::Remove: {
        // Records move down one slot, then the count drops: in between the
        // last entry is listed twice.
        const TNames removed = Without(old, c.target);
        return {old, Plus(removed, old.back()), removed};
    }
    case TOp::ReplaceMoved:
        // One write moves the records down and the entry to the end: it is
        // listed once, in its old slot with its old bytes or last with the
        // new ones (the data checks below).
        return {old, Plus(Without(old, c.target), c.sources[0].first)};
    case TOp::ReplaceInPlace: renamed[c.target] = c.sources[0].first; return {old, renamed};
    case TOp::Rename: renamed[c.target] = kRenamed; return {old, renamed};
    case TOp::Extract:
    case TOp::ExtractInto: return {old};
    }
    return {};
}

struct TOutcome {
    bool failed;
    bool crashed;  // no catalogue to compare
};

// What any stop, or the finish, must leave.
void CheckAfter(const TFixture& fx, const TCase& c, const TempDir& dir, const TListedCatalogue* cat, uint32_t rows, bool failed)
{
    const std::string img = ReadBytes(dir.File("a.img"));
    TRecArray listed;
    try {
        listed = ReadDirectory(LocateArchive(dir.File("a.img")));
    } catch (const std::exception& e) {
        FAIL() << "the archive does not open again: " << e.what();
    }

    TNames names;
    for (const TArchiveEntry& e : listed) names.push_back(std::string(EntryName(e)));
    const std::vector<TNames> stages = Stages(fx, c);
    if (failed) {
        EXPECT_NE(std::find(stages.begin(), stages.end(), names), stages.end()) << ::testing::PrintToString(names);
    } else {
        EXPECT_EQ(names, stages.back());
    }

    std::map<std::string, std::string> fresh;
    for (const auto& [name, bytes] : c.sources) fresh[name] = Padded(bytes);
    const TDirRecord* target = c.op == TOp::Add ? nullptr : &fx.recs[c.target];
    const std::string changed = TextureOp(c.op) ? ChangedDictionary(fx, c, dir) : "";
    for (const TArchiveEntry& e : listed) {
        const std::string name(EntryName(e));
        SCOPED_TRACE(name);
        const std::string got = DataAt(img, e.Offset, e.Size);
        if (TextureOp(c.op) && name == target->name) {
            // The old dictionary, never written over, or the new one, whole at
            // the old end before the record points at it.
            EXPECT_EQ(DataAt(img, target->offset, target->size), fx.data.at(name));
            const bool old = e.Offset == target->offset && e.Size == target->size;
            if (!old) {
                EXPECT_EQ(e.Offset, (fx.img.size() + 2047) / 2048);
                EXPECT_EQ(got, Padded(changed));
            }
            if (!failed) {
                EXPECT_FALSE(old);
            }
        } else if (name == kRenamed) {
            EXPECT_EQ(e.Offset, target->offset);
            EXPECT_EQ(e.Size, target->size);
            EXPECT_EQ(got, fx.data.at(target->name));
        } else if (c.op == TOp::ReplaceInPlace && fresh.count(name)) {
            // The record goes first; the data may be part-way.
            EXPECT_EQ(e.Offset, target->offset);
            EXPECT_EQ(e.Size, fresh[name].size() / 2048);
            if (!failed) {
                EXPECT_EQ(got.substr(0, c.sources[0].second.size()), c.sources[0].second);
            }
        } else if (fresh.count(name)) {
            // New data lies at the end, whole before its record is written.
            if (e.Size > 0) {
                EXPECT_GE(uint64_t(e.Offset) * 2048, fx.img.size());
            }
            EXPECT_EQ(e.Size, fresh[name].size() / 2048);
            EXPECT_EQ(got, fresh[name]);
        } else {
            const TDirRecord* was = fx.Find(name);
            ASSERT_NE(was, nullptr);
            EXPECT_EQ(e.Size, was->size);
            // Where it was, or moved to the end when a growing directory needed its place.
            if (e.Offset != was->offset) {
                EXPECT_GE(uint64_t(e.Offset) * 2048, fx.img.size());
            }
            EXPECT_EQ(got, fx.data.at(name));
        }
    }

    if (c.op == TOp::Add && !fx.ver2) {
        // Adding only appends to the archive.
        EXPECT_EQ(img.substr(0, fx.img.size()), fx.img);
        // No record before the data it points at is whole.
        const std::string& first = fresh[c.sources[0].first];
        const size_t at = (fx.img.size() + 2047) / 2048 * 2048;
        if (img.size() < at + first.size() || img.compare(at, first.size(), first) != 0) {
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), fx.dir);
        }
    }
    if (c.op == TOp::Add && fx.ver2 && names == fx.Names()) {
        // The records and count as they were, until the new data is whole.
        const std::string& first = fresh[c.sources[0].first];
        const size_t dirEnd = 8 + 32 * (fx.recs.size() + 1);
        const size_t at = std::max((fx.img.size() + 2047) / 2048, (dirEnd + 2047) / 2048) * 2048;
        if (img.size() < at + first.size() || img.compare(at, first.size(), first) != 0) {
            EXPECT_EQ(img.substr(0, 8 + 32 * fx.recs.size()), fx.img.substr(0, 8 + 32 * fx.recs.size()));
        }
    }
    if (c.op == TOp::ExtractInto) {
        // Copies are written one after another; only the one being written
        // when the failure came can be short.
        EXPECT_EQ(img, fx.img);
        bool shortSeen = false;
        for (uint32_t i : IntoTargets(c)) {
            const std::string& name = fx.recs[i].name;
            const std::string want = fx.data.at(name);
            const std::string path = dir.File("out/" + name);
            if (!std::filesystem::exists(path)) {
                EXPECT_TRUE(failed) << name;
                shortSeen = true;
                continue;
            }
            EXPECT_FALSE(shortSeen) << name << " written after a copy that failed";
            const std::string out = ReadBytes(path);
            EXPECT_EQ(want.substr(0, out.size()), out) << name;
            if (out.size() < want.size()) {
                EXPECT_TRUE(failed) << name;
                shortSeen = true;
            }
        }
    }
    if (c.op == TOp::Extract) {
        EXPECT_EQ(img, fx.img);
        if (!fx.ver2) {
            EXPECT_EQ(ReadBytes(dir.File("a.dir")), fx.dir);
        }
        const std::string want = fx.data.at(target->name);
        if (std::filesystem::exists(dir.File("out.bin"))) {
            const std::string out = ReadBytes(dir.File("out.bin"));
            if (failed) {
                EXPECT_EQ(want.substr(0, out.size()), out);
            } else {
                EXPECT_EQ(out, want);
            }
        } else {
            EXPECT_TRUE(failed);
        }
    }

    if (cat == nullptr) return;
    // The catalogue lists what the directory holds, failed or not.
    ASSERT_EQ(cat->Entries.size(), listed.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        EXPECT_EQ(cat->Entries[i].Offset, listed[i].Offset);
        EXPECT_EQ(cat->Entries[i].Size, listed[i].Size);
        EXPECT_EQ(cat->Entries[i].DirPos, listed[i].DirPos);
        EXPECT_EQ(std::memcmp(cat->Entries[i].Name, listed[i].Name, 24), 0);
    }
    EXPECT_EQ(rows, cat->RowOrder.size());
    tDWORDArray order = cat->RowOrder;
    std::sort(order.begin(), order.end());
    tDWORDArray all(cat->Entries.size());
    std::iota(all.begin(), all.end(), 0u);
    EXPECT_EQ(order, all);
}

// Fails operation 1, 2, ... of the command until it runs through; returns
// the number of failures.
int FailEveryStep(const TFixture& fx, const TCase& c, int refuseKernelCopy = 0)
{
    TempDir dir;
    int failures = 0;
    for (uint64_t n = 1; n < 1000; ++n) {
        SCOPED_TRACE("failing operation " + std::to_string(n));
        WriteFiles(fx, c, dir);
        TListedCatalogue cat = OpenCat(dir.File("a.img"));
        uint32_t rows = uint32_t(cat.Entries.size());
        std::string error = "(no error)";
        bool fired;
        {
            TFaultInjection fault({.FailAt = n, .Errno = EIO, .Ops = foAll, .RefuseKernelCopy = refuseKernelCopy});
            try {
                Run(cat, rows, c, dir);
            } catch (const EInOutError& e) {
                error = e.what();
            }
            fired = fault.Fired();
        }
        const bool failed = error != "(no error)";
        if (failed) {
            ++failures;
            EXPECT_EQ(error, "I/O error 5");
        } else {
            EXPECT_FALSE(fired) << "a failure was passed over";
        }
        CheckAfter(fx, c, dir, &cat, rows, failed);
        if (::testing::Test::HasFailure() || !failed) break;
    }
    EXPECT_GT(failures, 2);
    ::testing::Test::RecordProperty("failures", failures);
    return failures;
}

// The process ends at operation 1, 2, ... as in a crash; the archive opens
// afterwards and every other entry's data is whole.
void CrashEveryStep(const TFixture& fx, const TCase& c)
{
    TempDir dir;
    int crashes = 0;
    for (uint64_t n = 1; n < 1000; ++n) {
        SCOPED_TRACE("crash at operation " + std::to_string(n));
        WriteFiles(fx, c, dir);
        TListedCatalogue cat = OpenCat(dir.File("a.img"));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TFaultInjection fault({n, EIO, foAll, true});
            uint32_t rows = uint32_t(cat.Entries.size());
            try {
                Run(cat, rows, c, dir);
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
        CheckAfter(fx, c, dir, nullptr, 0, code != 0);
        if (::testing::Test::HasFailure() || code == 0) break;
        ++crashes;
    }
    EXPECT_GT(crashes, 2);
}

// Pictures for the dictionary of WithDictionary: 16×16 makes a smaller
// dictionary, 128×128 (8 KiB of DXT1) a larger one.

const std::vector<std::pair<std::string, std::string>> kOne = {{"n1.bin", Pattern(3000, 21)}};
const std::vector<std::pair<std::string, std::string>> kSeveral = {
    {"n1.bin", Pattern(4097, 21)}, {"empty.bin", ""}, {"n3.bin", Pattern(2048, 23)}};

}  // namespace

TEST(EntryOpsFaults, AddingOneFile)
{
    FailEveryStep(Img(), {TOp::Add, 0, kOne});
    FailEveryStep(Ver2(), {TOp::Add, 0, kOne});
}

TEST(EntryOpsFaults, AddingSeveralFiles)
{
    FailEveryStep(Img(), {TOp::Add, 0, kSeveral});
    FailEveryStep(Ver2(), {TOp::Add, 0, kSeveral});
}

TEST(EntryOpsFaults, AddingToAFullVer2DirectoryMovesAnEntry)
{
    FailEveryStep(Ver2Full(), {TOp::Add, 0, kOne});
    FailEveryStep(Ver2Full(), {TOp::Add, 0, kSeveral});
}

TEST(EntryOpsFaults, AddingToAnArchiveThatEndsInsideASector)
{
    FailEveryStep(Img(100), {TOp::Add, 0, kSeveral});
}

TEST(EntryOpsFaults, ReplacingInPlaceAndMoving)
{
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "VER2" : ".img and .dir");
        const TFixture fx = v2 ? Ver2() : Img();
        FailEveryStep(fx, {TOp::ReplaceInPlace, 1, {{"r.bin", Pattern(3000, 31)}}});
        FailEveryStep(fx, {TOp::ReplaceMoved, 1, {{"r.bin", Pattern(3 * 2048 + 1, 31)}}});
        FailEveryStep(fx, {TOp::ReplaceMoved, 3, {{"r.bin", Pattern(5 * 2048, 31)}}});
    }
}

TEST(EntryOpsFaults, AddingAndReplacingThroughTheBuffer)
{
    FailEveryStep(Img(), {TOp::Add, 0, kSeveral}, EXDEV);
    FailEveryStep(Ver2(), {TOp::ReplaceInPlace, 1, {{"r.bin", Pattern(3000, 31)}}}, EINVAL);
    FailEveryStep(Ver2(), {TOp::ReplaceMoved, 3, {{"r.bin", Pattern(5 * 2048, 31)}}}, ENOSYS);
}

// A texture changed inside an archive, the new dictionary smaller or larger
// than the old: at every failure the entry keeps its slot and name and reads
// as the old dictionary or the new one.
TEST(EntryOpsFaults, ChangingATexture)
{
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "VER2" : ".img and .dir");
        const TFixture fx = WithDictionary(v2 ? Ver2() : Img());
        FailEveryStep(fx, {TOp::Texture, 1, {{"p.png", Picture(16)}}});
        FailEveryStep(fx, {TOp::Texture, 1, {{"p.png", Picture(128)}}});
    }
}

TEST(EntryOpsFaults, DeletingTheMiddleTheLastAndTheOnlyEntry)
{
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "VER2" : ".img and .dir");
        const TFixture fx = v2 ? Ver2() : Img();
        FailEveryStep(fx, {TOp::Remove, 1});
        FailEveryStep(fx, {TOp::Remove, 3});
        TFixture only = fx;
        only.recs.resize(1);
        only.data.clear();
        only.Seal();
        EXPECT_GE(FailEveryStep(only, {TOp::Remove, 0}), 2);
    }
}

TEST(EntryOpsFaults, RenamingAndExtracting)
{
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "VER2" : ".img and .dir");
        const TFixture fx = v2 ? Ver2() : Img();
        FailEveryStep(fx, {TOp::Rename, 2});
        FailEveryStep(fx, {TOp::Extract, 1});
        FailEveryStep(fx, {TOp::ExtractInto, 1});
    }
}

TEST(EntryOpsFaults, CrashWhileAddingDeletingOrReplacing)
{
    CrashEveryStep(Img(100), {TOp::Add, 0, kSeveral});
    CrashEveryStep(Ver2(), {TOp::Add, 0, kSeveral});
    CrashEveryStep(Ver2Full(), {TOp::Add, 0, kOne});
    for (bool v2 : {false, true}) {
        SCOPED_TRACE(v2 ? "VER2" : ".img and .dir");
        CrashEveryStep(v2 ? Ver2() : Img(), {TOp::Remove, 1});
        CrashEveryStep(v2 ? Ver2() : Img(), {TOp::Remove, 3});
        CrashEveryStep(v2 ? Ver2() : Img(), {TOp::ReplaceMoved, 1, {{"r.bin", Pattern(3 * 2048 + 1, 31)}}});
    }
}

// A delete that fails after the records moved down is undone: the directory
// and the catalogue are the old ones, so that renaming the entry shown next
// writes its own slot and no other entry's record is lost.
TEST(EntryOpsFaults, ACommandAfterAFailedDeleteWritesNoStaleRecord)
{
    TempDir dir;
    const TFixture fx = Img();
    WriteFiles(fx, {TOp::Remove, 1}, dir);
    TListedCatalogue cat = OpenCat(dir.File("a.img"));
    uint32_t rows = 4;
    {
        // the moved records are written, then the cut of the ".dir" fails
        TFaultInjection fault({7, EIO, foOther});
        EXPECT_THROW(RemoveEntry(cat, rows, 1), EInOutError);
    }
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), fx.dir);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.img.korvane-journal")));
    RenameEntry(cat, 1, "NEW.DFF");
    RemoveEntry(cat, rows, 3);
    TDirRecord renamed = fx.recs[1];
    renamed.name = "NEW.DFF";
    EXPECT_EQ(ReadBytes(dir.File("a.dir")), ImgDirBytes({fx.recs[0], renamed, fx.recs[2]}));
    EXPECT_EQ(cat.Entries.size(), 3u);
    EXPECT_EQ(rows, 3u);
}

// Another program puts a link in place of the folder "a" at every step of an
// extraction in turn: "a\b" is then whole in the real folder or refused, and
// what the link names is never written.
TEST(EntryOpsFaults, ALinkAppearingMidCommandIsNeverWrittenThrough)
{
    std::set<bool> refusedSeen;
    for (uint64_t step = 1;; ++step) {
        SCOPED_TRACE("link at step " + std::to_string(step));
        TempDir dir;
        std::string root = dir.Path();
        link_cases::Plant(root, {"out/x", "../none", "out", false});
        TFaultPlan plan{step};
        plan.Act = [](void* r) {
            const std::string& root = *static_cast<std::string*>(r);
            std::filesystem::rename(root + "/out/a", root + "/out/real");
            std::filesystem::create_symlink("../vdir", root + "/out/a");
        };
        plan.ActArg = &root;
        std::string error;
        TFaultInjection fault(plan);
        try {
            ExtractEntriesInto(OpenCatalogue(root + "/a.img"), {0, 1, 2, 3}, root + "/out");
        } catch (const EEntryError& e) {
            error = e.what();
        }
        if (!fault.Fired()) break;
        const bool refused = !std::filesystem::exists(root + "/out/real/b");
        EXPECT_EQ(error, refused ? "Not extracted, a symbolic link is in the way: \"" + root + "/out/a\"" : link_cases::kGuard);
        if (!refused) EXPECT_EQ(ReadBytes(root + "/out/real/b"), link_cases::Data(1));
        link_cases::ExpectNotWrittenThrough(root, {"out/a", "../vdir", "out", true});
        refusedSeen.insert(refused);
    }
    EXPECT_EQ(refusedSeen.size(), 2u);
}

// An import failing at every file operation in turn lists exactly the
// entries of before, or of after (a failure once the change is made), and
// the catalogue lists the same. After: worked out by hand. In Img, b.dff
// fits B.DFF's sectors, C.COL (2049 bytes) moves to the end behind the added
// N.BIN. In Ver2Full the added record needs X1.TXD's sector: the entry moves
// to the end first, and x1.txd is written there, not over the directory.
TEST(EntryOpsFaults, ImportingIsAllOrNothing)
{
    using TList = std::vector<std::pair<std::string, std::string>>;  // name, the sectors its record points at
    auto listed = [](const std::string& path) {
        const std::string img = ReadBytes(path);
        TList list;
        for (const TArchiveEntry& e : ops::OpenForReading(path).Entries) {
            list.emplace_back(EntryName(e), DataAt(img, e.Offset, e.Size));
            list.back().second.resize(size_t(e.Size) * 2048, '\0');
        }
        return list;
    };
    const TFixture img = Img(), full = Ver2Full();
    const std::string b = Pattern(3000, 31), c = Pattern(2049, 32), n = Pattern(100, 33), x = Pattern(100, 34);
    TList fullAfter = {{"x1.txd", x + full.data.at("X1.TXD").substr(100)}, {"X2.DFF", full.data.at("X2.DFF")},
                       {"X3.COL", full.data.at("X3.COL")}};
    for (int i = 0; i < 60; ++i) fullAfter.push_back({"Z" + std::to_string(i), ""});
    fullAfter.push_back({"N.BIN", Padded(n)});
    const std::tuple<TFixture, TCase, TList> cases[] = {
        {img, {TOp::Add, 0, {{"b.dff", b}, {"C.COL", c}, {"N.BIN", n}}},
         {{"A.TXD", img.data.at("A.TXD")}, {"b.dff", b + img.data.at("B.DFF").substr(3000)},
          {"D.IFP", img.data.at("D.IFP")}, {"N.BIN", Padded(n)}, {"C.COL", Padded(c)}}},
        {full, {TOp::Add, 0, {{"x1.txd", x}, {"N.BIN", n}}}, fullAfter},
    };
    for (const auto& [fx, files, after] : cases) {
        SCOPED_TRACE(fx.ver2 ? "VER2" : ".img and .dir");
        TempDir dir;
        std::vector<std::string> paths;
        for (const auto& source : files.sources) paths.push_back(dir.File(source.first));
        int failures = 0;
        for (uint64_t step = 1; step < 1000; ++step) {
            SCOPED_TRACE("failing operation " + std::to_string(step));
            WriteFiles(fx, files, dir);
            const TList before = listed(dir.File("a.img"));
            ops::TLockedCatalogue locked{TArchiveLock(), OpenCatalogue(dir.File("a.img"))};
            bool failed = false;
            try {
                TFaultInjection fault({.FailAt = step, .Errno = EIO, .Ops = foAll});
                std::vector<ops::TImportStep> plan = ops::PlanImport(locked.Cat, paths, false);
                TEntryChanges changes;
                ops::Import(locked, plan, changes);
            } catch (const EInOutError&) {
                failed = true;
            }
            const TList now = listed(dir.File("a.img"));
            EXPECT_TRUE(now == after || (failed && now == before)) << ::testing::PrintToString(now);
            EXPECT_TRUE(ops::SameDirectory(locked.Cat, ReadDirectory(LocateArchive(dir.File("a.img")))));
            failures += failed;
            if (::testing::Test::HasFailure() || !failed) break;
        }
        EXPECT_GT(failures, 5);
    }
}
