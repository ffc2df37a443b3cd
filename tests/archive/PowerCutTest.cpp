// Power cuts in the middle of every command that changes an archive: from
// the steps the command took, every state the disk may hold after the cut
// (see PowerCut.h) is opened as after a reboot. It must list exactly the
// entries of before the command or exactly those of after it, and once
// opened for a change, leave no file but the archive's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "EntryFaultFixtures.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureDictionaryEdit.h"
#include "ops/ArchiveOps.h"
#include "ops/ServiceOps.h"
#include "ops/TextureOps.h"
#include "support/DictionaryWriters.h"
#include "support/EntryOpsInRows.h"
#include "support/PowerCut.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace entry_faults;

namespace {

// ---- the model itself, with states worked out by hand

TIoEvent Ev(TIoEvent::TKind kind, const std::string& path, uint64_t pos = 0, std::string bytes = {}, std::string to = {})
{
    return {kind, path, to, pos, std::move(bytes)};
}

std::set<TFolderFiles> Distinct(const std::vector<TDiskState>& states)
{
    std::set<TFolderFiles> all;
    for (const TDiskState& s : states) EXPECT_TRUE(all.insert(s.Files).second) << "twice: " << s.Label;
    return all;
}

TEST(PowerCutModel, PagesSinceTheLastSyncAreKeptOrLostEachOnItsOwn)
{
    const std::string a(4096, 'a'), b(4096, 'b'), c(10, 'c');
    const std::string bcb = b + c + std::string(4086, 'b');
    const auto states = PowerCutStates({{"f", a + a}}, "/d",
                                       {Ev(TIoEvent::Write, "/d/f", 0, b + b), Ev(TIoEvent::Write, "/e/f", 0, "z"),
                                        Ev(TIoEvent::Sync, "/d/f"), Ev(TIoEvent::Write, "/d/f", 4096, c),
                                        Ev(TIoEvent::Write, "/d/f", 12290, "d")},
                                       7, 20);
    // The last write lies past the end: what is kept of it comes after zeros.
    const std::string gap(12290 - 8192, '\0');
    EXPECT_EQ(Distinct(states), (std::set<TFolderFiles>{{{"f", a + a}}, {{"f", a + b}}, {{"f", b + a}}, {{"f", b + b}},
                                                        {{"f", bcb}}, {{"f", b + b + gap + "d"}}, {{"f", bcb + gap + "d"}}}));
    const auto again = PowerCutStates({{"f", a + a}}, "/d", {Ev(TIoEvent::Write, "/d/f", 0, b + b)}, 7, 20);
    EXPECT_EQ(again.size(), 4u);
    EXPECT_EQ(again[3].Label, "cut after step 1 (Write f @0), the last: page 2 of 2 of step 1 (Write f @0) dropped");
}

TEST(PowerCutModel, NameStepsAreKeptInOrderUntilTheFolderIsFlushed)
{
    const TFolderFiles old = {{"x", "old"}};
    const std::vector<TIoEvent> replace = {Ev(TIoEvent::Create, "/d/t"), Ev(TIoEvent::Write, "/d/t", 0, "new"),
                                           Ev(TIoEvent::Sync, "/d/t"), Ev(TIoEvent::Rename, "/d/t", 0, {}, "/d/x")};
    EXPECT_EQ(Distinct(PowerCutStates(old, "/d", replace, 7, 20)),
              (std::set<TFolderFiles>{{{"x", "old"}}, {{"x", "old"}, {"t", ""}}, {{"x", "old"}, {"t", "new"}}, {{"x", "new"}}}));
    // Once the folder is flushed the rename stays: a later write goes to x alone.
    std::vector<TIoEvent> flushed = replace;
    flushed.push_back(Ev(TIoEvent::SyncFolder, "/d"));
    flushed.push_back(Ev(TIoEvent::Write, "/d/x", 0, "N"));
    EXPECT_EQ(Distinct(PowerCutStates(old, "/d", flushed, 7, 20)),
              (std::set<TFolderFiles>{{{"x", "old"}}, {{"x", "old"}, {"t", ""}}, {{"x", "old"}, {"t", "new"}}, {{"x", "new"}}, {{"x", "New"}}}));
    // Creating a file that exists empties it: a step of its own.
    const auto rewritten = PowerCutStates(old, "/d", {Ev(TIoEvent::Create, "/d/x"), Ev(TIoEvent::Write, "/d/x", 0, "n")}, 7, 20);
    EXPECT_EQ(Distinct(rewritten), (std::set<TFolderFiles>{{{"x", "old"}}, {{"x", ""}}, {{"x", "n"}}, {{"x", "nld"}}}));
    EXPECT_EQ(rewritten.back().Label, "cut after step 2 (Write x @0), the last: step 1 (Create x), the emptying dropped");
}

// ---- every command that changes an archive

using TList = std::vector<std::pair<std::string, std::string>>;  // name, the sectors its record points at

TList Listed(const std::string& folder)
{
    const Catalogue cat = ops::OpenForReading(folder + "/a.img");
    const std::string img = ReadBytes(folder + "/a.img");
    TList list;
    for (const TArchiveEntry& e : cat.Entries) {
        std::string bytes = DataAt(img, e.Offset, e.Size);
        bytes.resize(size_t(e.Size) * 2048, '\0');
        list.emplace_back(EntryName(e), std::move(bytes));
    }
    return list;
}

std::string Difference(const TList& got, const TList& want)
{
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    if (i == got.size() || i == want.size()) return std::to_string(got.size()) + " entries, not " + std::to_string(want.size());
    return "entry " + std::to_string(i) + " " + got[i].first +
           (got[i].first == want[i].first ? " with other bytes" : ", not " + want[i].first);
}

enum class TCmd { Add, Delete, Rename, ReplaceInPlace, ReplaceMoved, Texture, Repack, UndoDelete, Import };

using TSources = std::vector<std::pair<std::string, std::string>>;  // file name, bytes

struct TScenario {
    std::string name;
    bool ver2;
    TFixture (*fixture)(bool ver2);
    TCmd cmd;
    std::vector<uint32_t> targets = {};
    TSources sources = {};
};

void PrintTo(const TScenario& s, std::ostream* os) { *os << s.name; }

TFixture Small(bool ver2) { return ver2 ? Ver2() : Img(); }
TFixture Full(bool) { return Ver2Full(); }

// 300 entries of a sector each, each starting with its own name: the
// directory spans several 4 KiB pages.
TFixture Many(bool ver2)
{
    TFixture fx;
    fx.ver2 = ver2;
    const uint32_t first = ver2 ? 5 : 0;  // 8 + 300 * 32 bytes of VER2 directory take 5 sectors
    for (uint32_t i = 0; i < 300; ++i) {
        const std::string name = "E" + std::to_string(1000 + i) + ".DAT";
        fx.recs.push_back({first + i, 1, name});
        fx.Put(first + i, name + Pattern(2048 - name.size(), int(i)));
    }
    fx.Seal();
    return fx;
}


TFixture Dictionary(bool ver2) { return WithDictionary(Small(ver2)); }

void RunCommand(TListedCatalogue& cat, const TScenario& s, const TempDir& sources, const TChangeImage& undo)
{
    uint32_t rows = uint32_t(cat.Entries.size());
    OnLoan(cat, [&](ops::TLockedCatalogue& l) {
        TShownRows shown(l.Cat, cat, rows);
        switch (s.cmd) {
        case TCmd::Add:
        {
            std::vector<std::string> files;
            for (const auto& source : s.sources) files.push_back(sources.File(source.first));
            ops::Add(l, files, shown.Changes());
            break;
        }
        case TCmd::Delete: ops::Delete(l, s.targets, shown.Changes()); break;
        case TCmd::Rename: ops::Rename(l, s.targets[0], "RENAMED.BIN", shown.Changes()); break;
        case TCmd::ReplaceInPlace:
        case TCmd::ReplaceMoved:
            EXPECT_EQ(ops::Replace(l, s.targets[0], sources.File(s.sources[0].first), shown.Changes()),
                      s.cmd == TCmd::ReplaceInPlace ? TReplaceResult::rrInPlace : TReplaceResult::rrMoved);
            break;
        case TCmd::Texture:
            ops::ChangeTexture(l, s.targets[0], {TTextureChangeKind::Replace, "TEX", sources.File(s.sources[0].first), {}},
                               shown.Changes());
            break;
        case TCmd::Repack: ops::Repack(l); break;
        case TCmd::UndoDelete: ops::ApplyImage(l, undo, true); break;
        case TCmd::Import:
        {
            std::vector<std::string> files;
            for (const auto& source : s.sources) files.push_back(sources.File(source.first));
            std::vector<ops::TImportStep> plan = ops::PlanImport(l.Cat, files, false);
            ops::Import(l, plan, shown.Changes());
            break;
        }
        }
    });
}

// What is wrong with the archive a reboot finds in `state`, or "".
std::string AfterReboot(const TDiskState& state, const std::set<std::string>& own, const TList& before, const TList& after)
{
    TempDir dir;
    WriteDiskState(state, dir.Path());
    try {
        const TList list = Listed(dir.Path());
        if (list != before && list != after)
            return "lists neither the entries before (" + Difference(list, before) + ") nor after (" + Difference(list, after) + ")";
        ops::OpenForChanging(dir.File("a.img"));
    } catch (const std::exception& e) {
        return std::string("does not open: ") + e.what();
    }
    std::string files;
    for (const auto& [name, bytes] : FolderFiles(dir.Path())) files += " " + name;
    std::string ownFiles;
    for (const std::string& name : own) ownFiles += " " + name;
    return files == ownFiles ? "" : "leaves the files" + files;
}

class PowerCutCommands : public ::testing::TestWithParam<TScenario> {};

TEST_P(PowerCutCommands, LeaveTheEntriesOfBeforeOrOfAfter)
{
    const TScenario& s = GetParam();
    const TFixture fx = s.fixture(s.ver2);
    TempDir run, sources;
    // The steps are recorded by the paths the command uses: no link in them.
    const std::string folder = std::filesystem::canonical(run.Path()).string();
    WriteBytes(folder + "/a.img", fx.img);
    if (!fx.ver2) WriteBytes(folder + "/a.dir", fx.dir);
    for (const auto& [name, bytes] : s.sources) WriteBytes(sources.File(name), bytes);
    TChangeImage undo;  // an undo's: the delete it takes back is made first
    if (s.cmd == TCmd::UndoDelete) {
        ops::TLockedCatalogue l{TArchiveLock(), OpenCatalogue(folder + "/a.img"), &undo};
        TEntryChanges changes;
        ops::Delete(l, s.targets, changes);
    }
    const TFolderFiles files = FolderFiles(folder);
    const TList before = Listed(folder);

    TIoRecord record;
    {
        TListedCatalogue cat(OpenCatalogue(folder + "/a.img"));
        TFaultInjection recording({.Record = &record});
        RunCommand(cat, s, sources, undo);
    }
    const TList after = Listed(folder);

    const TFolderFiles finished = FolderFiles(folder);
    ASSERT_NE(finished, files);  // the lists may be equal: a repack only moves the entries

    const std::vector<TDiskState> states = PowerCutStates(files, folder, record.Events, 20240611, 20);
    // With every step kept, the steps as recorded make the finished folder.
    ASSERT_TRUE(std::any_of(states.begin(), states.end(), [&](const TDiskState& st) { return st.Files == finished; }));
    const std::set<std::string> own = fx.ver2 ? std::set<std::string>{"a.img"} : std::set<std::string>{"a.img", "a.dir"};
    int failures = 0;
    for (const TDiskState& state : states) {
        const std::string wrong = AfterReboot(state, own, before, after);
        if (wrong.empty()) continue;
        ADD_FAILURE() << state.Label << ": " << wrong;
        if (++failures == 3) break;
    }
    RecordProperty("steps", int(record.Events.size()));
    RecordProperty("states", int(states.size()));
}

std::vector<TScenario> Scenarios()
{
    const TSources one = {{"n1.bin", Pattern(3000, 21)}};
    const TSources three = {{"n1.bin", Pattern(4097, 21)}, {"empty.bin", ""}, {"n3.bin", Pattern(2048, 23)}};
    std::vector<TScenario> all = {{"AddOneFileToAFullDirectory_Ver2", true, Full, TCmd::Add, {}, one}};
    for (bool v2 : {false, true}) {
        const std::string kind = v2 ? "_Ver2" : "_Img";
        const std::vector<TScenario> rows = {
            {"AddOneFile", v2, Small, TCmd::Add, {}, one},
            {"AddThreeFiles", v2, Small, TCmd::Add, {}, three},
            {"DeleteTheFirstEntry", v2, Many, TCmd::Delete, {0}},
            {"DeleteTheLastEntry", v2, Many, TCmd::Delete, {299}},
            {"DeleteTwoEntries", v2, Many, TCmd::Delete, {1, 200}},
            {"Rename", v2, Small, TCmd::Rename, {2}},
            {"ReplaceInPlace", v2, Small, TCmd::ReplaceInPlace, {1}, {{"r.bin", Pattern(3000, 31)}}},
            {"ReplaceMoving", v2, Small, TCmd::ReplaceMoved, {1}, {{"r.bin", Pattern(3 * 2048 + 1, 31)}}},
            {"ChangeATexture", v2, Dictionary, TCmd::Texture, {1}, {{"p.png", Picture(16)}}},
            {"Repack", v2, Small, TCmd::Repack},
            {"UndoADeleteOfTwo", v2, Many, TCmd::UndoDelete, {1, 200}},
            // b.dff in place, C.COL moved to the end, N.BIN added
            {"Import", v2, Small, TCmd::Import, {}, {{"b.dff", Pattern(3000, 31)}, {"C.COL", Pattern(2049, 32)}, {"N.BIN", Pattern(100, 33)}}},
        };
        for (TScenario row : rows) {
            row.name += kind;
            all.push_back(row);
        }
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(PowerCut, PowerCutCommands, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<TScenario>& info) { return info.param.name; });

}  // namespace
