#include "ops/ArchiveOps.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <sys/stat.h>

#include "archive/ChangeJournal.h"
#include "archive/SectorDirectory.h"
#include "base/NameCodec.h"

#include "ops/OpErrors.h"
#include "ops/Writability.h"

namespace korvane::ops {

namespace {

// Every check a change of entry `index` makes, in order.
void CheckChange(const Catalogue& cat, uint32_t index)
{
    CheckEntryIndex(cat, index);
    CheckChangeableKind(cat);
    ProbeWritable(cat);
}

// A change cut off by a crash or a power cut is undone (a cut repack
// finished) under the exclusive lock, before any directory is read; the
// scratch files of a cut repack go with it.
void Recover(const TArchiveLocation& where)
{
    RecoverArchive(where);
    RemoveRepackScratch(where);
}

// The directory read under the lock, so that it is never seen half written.
TLockedCatalogue OpenLocked(const TArchiveLocation& where, TLockMode mode, const TLockWait& wait)
{
    TLockedCatalogue held;
    if (mode == TLockMode::lmShared && JournalPresent(where.ArchivePath)) {
        const TArchiveLock exclusive = TArchiveLock::Acquire(where.ArchivePath, TLockMode::lmExclusive, wait);
        RecoverArchive(where);
    }
    held.Lock = TArchiveLock::Acquire(where.ArchivePath, mode, wait);
    if (mode == TLockMode::lmExclusive) Recover(where);
    held.Cat = OpenCatalogue(where);
    return held;
}

}  // namespace

namespace {

// A change of the locked catalogue, keeping its image when one is asked for.
void Keep(TArchiveChange& change, const TLockedCatalogue& locked)
{
    if (locked.Image) change.KeepImage(locked.Image);
}

}  // namespace

Catalogue OpenForReading(const std::string& path, const TLockWait& wait)
{
    return OpenForReading(LocateArchive(path), wait);
}

Catalogue OpenForReading(const TArchiveLocation& where, const TLockWait& wait)
{
    return OpenForReadingHeld(where, wait).Cat;
}

TLockedCatalogue OpenForReadingHeld(const std::string& path, const TLockWait& wait)
{
    return OpenForReadingHeld(LocateArchive(path), wait);
}

// The kind stays the one found before the lock: an .img repacked meanwhile
// may start with another kind's magic now.
TLockedCatalogue OpenForReadingHeld(const TArchiveLocation& where, const TLockWait& wait)
{
    return OpenLocked(where, TLockMode::lmShared, wait);
}

TLockedCatalogue OpenForChanging(const std::string& path, const TLockWait& wait)
{
    return OpenForChanging(LocateArchive(path), wait);
}

TLockedCatalogue OpenForChanging(const TArchiveLocation& where, const TLockWait& wait)
{
    return OpenLocked(where, TLockMode::lmExclusive, wait);
}

bool SameDirectory(const Catalogue& loaded, const TRecArray& onDisk)
{
    if (loaded.Entries.size() != onDisk.size()) return false;
    const bool records = IsSectorKind(loaded.ArchiveKind);
    for (size_t i = 0; i < onDisk.size(); ++i) {
        const TArchiveEntry& a = loaded.Entries[i];
        const TArchiveEntry& b = onDisk[i];
        if (records) {
            uint8_t ra[DirRecordSize], rb[DirRecordSize];
            StoreRecord(a, ra);
            StoreRecord(b, rb);
            if (a.DirPos != b.DirPos || std::memcmp(ra, rb, DirRecordSize) != 0) return false;
        } else if (a.Offset != b.Offset || a.Size != b.Size || EntryName(a) != EntryName(b)) {
            return false;
        }
    }
    return true;
}

namespace {

TArchiveLocation LocationOf(const Catalogue& cat) { return {cat.ArchivePath, cat.DirPath, cat.ArchiveKind}; }

}  // namespace

TArchiveLock LockForChange(const Catalogue& loaded, const TLockWait& wait)
{
    TArchiveLock lock = TArchiveLock::Acquire(loaded.ArchivePath, TLockMode::lmExclusive, wait);
    Recover(LocationOf(loaded));
    if (!SameDirectory(loaded, ReadDirectory(LocationOf(loaded)))) throw EArchiveChanged();
    return lock;
}

bool DirectoryUnchanged(const Catalogue& loaded, const TLockWait& wait)
{
    if (JournalPresent(loaded.ArchivePath)) {
        const TArchiveLock exclusive = TArchiveLock::Acquire(loaded.ArchivePath, TLockMode::lmExclusive, wait);
        RecoverArchive(LocationOf(loaded));
    }
    const TArchiveLock lock = TArchiveLock::Acquire(loaded.ArchivePath, TLockMode::lmShared, wait);
    return SameDirectory(loaded, ReadDirectory(LocationOf(loaded)));
}

void CheckEntryIndex(const Catalogue& cat, uint32_t index)
{
    if (index >= cat.Entries.size()) throw ENoSuchEntry(index, cat.Entries.size());
}

void CheckEntryIndices(const Catalogue& cat, const std::vector<uint32_t>& indices)
{
    for (uint32_t index : indices) CheckEntryIndex(cat, index);
}

void Extract(const Catalogue& cat, uint32_t index, const std::string& path)
{
    CheckEntryIndex(cat, index);
    ExtractEntry(cat, index, path);
}

void ExtractInto(const Catalogue& cat, const std::vector<uint32_t>& indices, const std::string& folder)
{
    CheckEntryIndices(cat, indices);
    ExtractEntriesInto(cat, indices, folder);
}

std::string ExtractForOpen(const Catalogue& cat, uint32_t index, const std::string& tempDir)
{
    CheckEntryIndex(cat, index);
    return ExtractEntryForOpen(cat, index, tempDir);
}

uint32_t Add(TLockedCatalogue& locked, const std::string& file, TEntryChanges& changes)
{
    return Add(locked, std::vector<std::string>{file}, changes);
}

uint32_t Add(TLockedCatalogue& locked, const std::vector<std::string>& files, TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    CheckChangeableKind(cat);
    // Before the data, which would otherwise be appended for nothing.
    CheckRoomForEntry(cat);
    ProbeWritable(cat);
    TArchiveChange change(cat);
    Keep(change, locked);
    uint32_t last = 0;
    for (const std::string& file : files) {
        CheckRoomForEntry(cat);
        last = AddFileEntry(change, file);
    }
    change.Commit(changes);
    return last;
}

TReplaceResult Replace(TLockedCatalogue& locked, uint32_t index, const std::string& file, TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    CheckChange(cat, index);
    TArchiveChange change(cat);
    Keep(change, locked);
    const TReplaceResult result = ReplaceEntry(change, index, file);
    change.Commit(changes);
    return result;
}

void Delete(TLockedCatalogue& locked, std::vector<uint32_t> indices, TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    CheckEntryIndices(cat, indices);
    if (indices.empty()) return;
    CheckChangeableKind(cat);
    ProbeWritable(cat);
    // From the highest index down, so the indices still to go stay valid.
    std::sort(indices.rbegin(), indices.rend());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    TArchiveChange change(cat);
    Keep(change, locked);
    for (uint32_t index : indices) RemoveEntry(change, index);
    change.Commit(changes);
}

void ApplyImage(TLockedCatalogue& locked, const TChangeImage& image, bool undo)
{
    Catalogue& cat = locked.Cat;
    CheckChangeableKind(cat);
    ProbeWritable(cat);
    const bool twoFiles = cat.ArchiveKind == akImg;
    // The file must hold what the change (or its undo) left: otherwise
    // another program has been at it, and its change is not ours to take back.
    {
        TFile dir = TFile::OpenReadOnly(cat.DirPath);
        const uint64_t size = dir.Size();
        if (twoFiles && size != (undo ? image.DirLengthAfter : image.DirLengthBefore)) throw EArchiveChanged();
        for (const TWrittenRange& r : image.Ranges) {
            const std::string& now = undo ? r.After : r.Before;
            if (r.Pos > size || now.size() > size - r.Pos) throw EArchiveChanged();
            std::string held(now.size(), '\0');
            dir.Seek(r.Pos);
            dir.ReadExact(held.data(), held.size());
            if (held != now) throw EArchiveChanged();
        }
    }
    TArchiveChange change(cat);
    for (const TWrittenRange& r : image.Ranges) change.PutDirectoryBytes(r.Pos, undo ? r.Before : r.After);
    if (twoFiles) change.SetCount((undo ? image.DirLengthBefore : image.DirLengthAfter) / DirRecordSize);
    TEntryChanges none;
    change.Commit(none);
}

void Rename(TLockedCatalogue& locked, uint32_t index, std::string_view name, TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    CheckChange(cat, index);
    TArchiveChange change(cat);
    Keep(change, locked);
    RenameEntry(change, index, name);
    change.Commit(changes);
}

namespace {

// The name as the game compares it: only the ASCII letters folded.
std::string FoldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return folded;
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Stages the plan in its order and numbers its entries: `add(i)` stages step
// i's file as a new entry and gives its number; `replace(i)` stages step i's
// replace and tells whether the entry moved to the end. The adds go first:
// on a VER2 archive a new record may move an entry's data away from under
// the growing directory, and an in-place replace staged before it would be
// written at the old place. The replaces go from the highest entry down, so
// that a move shifts only entries already done and each Replaced is still
// the entry's number when its turn comes.
template <class TAdd, class TReplace>
void StageImport(std::vector<TImportStep>& plan, size_t entries, TAdd add, TReplace replace)
{
    std::vector<size_t> replaces;
    for (size_t i = 0; i < plan.size(); ++i) {
        if (plan[i].Replaces)
            replaces.push_back(i);
        else
            plan[i].Entry = add(i);
    }
    entries += plan.size() - replaces.size();
    std::stable_sort(replaces.begin(), replaces.end(),
                     [&plan](size_t a, size_t b) { return plan[a].Replaced > plan[b].Replaced; });
    std::vector<bool> numbered(plan.size());
    for (size_t i = 0; i < plan.size(); ++i) numbered[i] = !plan[i].Replaces;
    for (size_t i : replaces) {
        const uint32_t at = plan[i].Replaced;
        if (replace(i)) {
            for (size_t j = 0; j < plan.size(); ++j)
                if (numbered[j] && plan[j].Entry > at) --plan[j].Entry;
            plan[i].Entry = uint32_t(entries - 1);
        } else {
            plan[i].Entry = at;
        }
        numbered[i] = true;
    }
}

}  // namespace

std::vector<std::string> ImportFiles(const std::vector<std::string>& operands)
{
    std::vector<std::string> files;
    for (const std::string& operand : operands) {
        struct stat st {};
        if (::stat(operand.c_str(), &st) != 0) RaiseIoErrno(errno, operand);
        if (!S_ISDIR(st.st_mode)) {
            files.push_back(operand);
            continue;
        }
        std::vector<std::string> names;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(operand, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kind;
            if (it->is_regular_file(kind)) names.push_back(it->path().filename().string());
        }
        if (ec) RaiseIoErrno(ec.value(), operand);
        std::sort(names.begin(), names.end());
        const std::string folder = operand.ends_with('/') ? operand : operand + "/";
        for (const std::string& name : names) files.push_back(folder + name);
    }
    return files;
}

std::vector<TImportStep> PlanImport(const Catalogue& cat, const std::vector<std::string>& files, bool cutNames)
{
    CheckChangeableKind(cat);
    // The first entry of each name, and how many have it.
    std::map<std::string, std::pair<uint32_t, uint32_t>> entries;
    for (uint32_t i = 0; i < cat.Entries.size(); ++i) {
        const std::string_view name = EntryName(cat.Entries[i]);
        auto [at, added] = entries.try_emplace(FoldedName(name.substr(0, DirNameFieldSize)), i, 0);
        ++at->second.second;
    }
    std::vector<TImportStep> plan;
    std::map<std::string, size_t> taken;  // by the files before
    size_t adds = 0;
    for (const std::string& file : files) {
        TImportStep step;
        step.File = file;
        step.Name = EntryNameFromPath(file).substr(0, DirNameFieldSize);
        step.NameCut = Cp1251ToUtf8(step.Name) != BaseName(file);
        if (step.NameCut && !cutNames) throw ENameDoesNotFit(file);
        const std::string folded = FoldedName(step.Name);
        if (auto [at, added] = taken.try_emplace(folded, plan.size()); !added)
            throw EEntryError("\"" + plan[at->second].File + "\" and \"" + file +
                              "\" would be the same entry: import them one at a time");
        if (auto it = entries.find(folded); it != entries.end()) {
            step.Replaces = true;
            step.Replaced = it->second.first;
            step.SameNamed = it->second.second;
        } else {
            ++adds;
        }
        plan.push_back(std::move(step));
    }
    if (cat.Entries.size() + adds > MaxDirectoryEntries) throw EEntryError("The archive holds as many entries as it can");
    // The numbers as Import will give them: a replace moves when its file is
    // larger than the entry's sectors.
    uint32_t next = uint32_t(cat.Entries.size());
    StageImport(
        plan, cat.Entries.size(), [&](size_t) { return next++; },
        [&](size_t i) {
            struct stat st {};
            if (::stat(plan[i].File.c_str(), &st) != 0) RaiseIoErrno(errno, plan[i].File);
            return uint64_t(st.st_size) > EntryByteLen(cat.ArchiveKind, cat.Entries[plan[i].Replaced]);
        });
    return plan;
}

void Import(TLockedCatalogue& locked, std::vector<TImportStep>& plan, TEntryChanges& changes)
{
    Catalogue& cat = locked.Cat;
    CheckChangeableKind(cat);
    if (plan.empty()) return;
    ProbeWritable(cat);
    TArchiveChange change(cat);
    Keep(change, locked);
    StageImport(
        plan, cat.Entries.size(),
        [&](size_t i) {
            CheckRoomForEntry(cat);
            return AddFileEntry(change, plan[i].File);
        },
        [&](size_t i) { return ReplaceEntry(change, plan[i].Replaced, plan[i].File) == TReplaceResult::rrMoved; });
    change.Commit(changes);
}

}  // namespace korvane::ops
