// A change taken back from its image and made again: the directory's file
// byte for byte as before (and as after), every entry's data with it, on
// both kinds; and never over another program's change.
#include <gtest/gtest.h>

#include <functional>

#include "../archive/EntryFaultFixtures.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"
#include "ops/TextureOps.h"
#include "support/EntryOpsInRows.h"
#include "support/TempDir.h"

using namespace korvane;
using namespace entry_faults;

namespace {

// Each entry's name and the bytes it points at, in directory order.
std::vector<std::pair<std::string, std::string>> Entries(const std::string& archive)
{
    const std::string img = ReadBytes(archive);
    std::vector<std::pair<std::string, std::string>> all;
    for (const TArchiveEntry& e : OpenCatalogue(archive).Entries)
        all.push_back({std::string(EntryName(e)), DataAt(img, e.Offset, e.Size)});
    return all;
}

using TChange = std::function<void(ops::TLockedCatalogue&, const TempDir&)>;

struct TCase {
    const char* what;
    TFixture (*fixture)();
    TChange change;
};

TFixture Dictionary() { return WithDictionary(Ver2()); }

const TCase kCases[] = {
    {"add two, VER2", Ver2, [](auto& l, auto& d) { TEntryChanges c; ops::Add(l, {d.File("n1.bin"), d.File("n2.bin")}, c); }},
    {"add to a full VER2 directory (an entry moves)", Ver2Full,
     [](auto& l, auto& d) { TEntryChanges c; ops::Add(l, d.File("n1.bin"), c); }},
    {"add, .img", [] { return Img(); }, [](auto& l, auto& d) { TEntryChanges c; ops::Add(l, d.File("n1.bin"), c); }},
    {"replace that fits, .img", [] { return Img(); },
     [](auto& l, auto& d) { TEntryChanges c; EXPECT_EQ(ops::Replace(l, 1, d.File("n1.bin"), c), TReplaceResult::rrInPlace); }},
    {"replace that moves, VER2", Ver2,
     [](auto& l, auto& d) { TEntryChanges c; EXPECT_EQ(ops::Replace(l, 0, d.File("big.bin"), c), TReplaceResult::rrMoved); }},
    {"delete two, .img", [] { return Img(); }, [](auto& l, auto&) { TEntryChanges c; ops::Delete(l, {0, 2}, c); }},
    {"delete, VER2", Ver2, [](auto& l, auto&) { TEntryChanges c; ops::Delete(l, {1}, c); }},
    {"rename, VER2", Ver2, [](auto& l, auto&) { TEntryChanges c; ops::Rename(l, 3, "NEW.IFP", c); }},
    {"texture change, VER2", Dictionary,
     [](auto& l, auto& d) {
         TEntryChanges c;
         ops::ChangeTexture(l, 1, {TTextureChangeKind::Replace, "tex", d.File("p.png"), {}}, c);
     }},
};

struct TUndoCase : TempDir {
    TFixture fx;
    explicit TUndoCase(const TCase& c) : fx(c.fixture())
    {
        WriteBytes(File("a.img"), fx.img);
        if (!fx.ver2) WriteBytes(File("a.dir"), fx.dir);
        WriteBytes(File("n1.bin"), Pattern(1500, 41));
        WriteBytes(File("n2.bin"), Pattern(2049, 42));
        WriteBytes(File("big.bin"), Pattern(3 * 2048 + 5, 43));
        WriteBytes(File("p.png"), Picture(16));
    }
    std::string Archive() const { return File("a.img"); }
    // The bytes that hold the directory: the ".dir", or the archive up to
    // the data of its first entry as the fixture placed it.
    std::string Directory() const { return fx.ver2 ? ReadBytes(Archive()).substr(0, 2048) : ReadBytes(File("a.dir")); }
};

}  // namespace

TEST(UndoImage, EveryChangeIsTakenBackAndMadeAgainByteForByte)
{
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.what);
        TUndoCase t(c);
        const auto before = Entries(t.Archive());
        const std::string dirBefore = t.Directory();
        TChangeImage image;
        ops::TLockedCatalogue locked = ops::OpenForChanging(t.Archive());
        locked.Image = &image;
        c.change(locked, t);
        locked.Image = nullptr;
        ASSERT_FALSE(image.Empty());
        const auto after = Entries(t.Archive());
        const std::string dirAfter = t.Directory();
        ASSERT_NE(after, before);

        ops::ApplyImage(locked, image, true);
        EXPECT_EQ(Entries(t.Archive()), before);
        EXPECT_EQ(t.Directory(), dirBefore);
        ops::ApplyImage(locked, image, false);
        EXPECT_EQ(Entries(t.Archive()), after);
        EXPECT_EQ(t.Directory(), dirAfter);
        // Made again, it is taken back again.
        ops::ApplyImage(locked, image, true);
        EXPECT_EQ(Entries(t.Archive()), before);
    }
}

// An entry that fits its sectors keeps them while undo is kept: the new data
// is appended and the old bytes stay where they were.
TEST(UndoImage, AReplaceThatFitsAppendsWhileAnImageIsKept)
{
    TUndoCase t(kCases[3]);
    TChangeImage image;
    ops::TLockedCatalogue locked = ops::OpenForChanging(t.Archive());
    locked.Image = &image;
    TEntryChanges c;
    ops::Replace(locked, 1, t.File("n1.bin"), c);
    const std::string img = ReadBytes(t.Archive());
    EXPECT_EQ(DataAt(img, 1, 2), t.fx.data.at("B.DFF"));                  // sectors 1-2 as they were
    EXPECT_EQ(locked.Cat.Entries[1].Offset, (t.fx.img.size() + 2047) / 2048);  // the data at the old end
    EXPECT_EQ(DataAt(img, locked.Cat.Entries[1].Offset, 1), Padded(Pattern(1500, 41)));
}

TEST(UndoImage, AnotherProgramsChangeIsNeverTakenBack)
{
    TUndoCase t(kCases[6]);
    TChangeImage image;
    ops::TLockedCatalogue locked = ops::OpenForChanging(t.Archive());
    locked.Image = &image;
    TEntryChanges c;
    ops::Delete(locked, {1}, c);
    locked.Image = nullptr;
    // Another program renames entry 1 (one byte of a record the delete wrote).
    std::string img = ReadBytes(t.Archive());
    img[8 + 32 + 8] = 'Z';
    WriteBytes(t.Archive(), img);
    EXPECT_THROW(ops::ApplyImage(locked, image, true), ops::EArchiveChanged);
    EXPECT_EQ(ReadBytes(t.Archive()), img);
    // A redo that was never undone is refused the same way.
    EXPECT_THROW(ops::ApplyImage(locked, image, false), ops::EArchiveChanged);
}
