// Changing and copying single entries of the open archive: every change is
// written to the archive and its directory before the call returns.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveChange.h"
#include "archive/Catalogue.h"
#include "archive/EntryChanges.h"
#include "base/Errors.h"

namespace korvane {

// The changes are staged in a TArchiveChange (see ArchiveChange.h), which
// writes them, whole or not at all, when it is committed. Each records its
// steps in the change's Steps as the catalogue takes them, so that whoever
// shows the entries can follow once the change is made.

// These functions do the work alone: the entry numbers, the kind (".img"
// and VER2 only for changes), the room for one more entry and whether the
// files may be written are checked by the operations (ops/ArchiveOps.h)
// before they are called.

// Raises "The archive holds as many entries as it can" when no entry can be added.
void CheckRoomForEntry(const Catalogue& cat);

// Appends the file's data (whole sectors, the last padded with zeros) to the
// archive and stages a new, last entry named after the file. Returns the new
// entry's index.
uint32_t AddFileEntry(TArchiveChange& change, const std::string& path);

// Removes entry `index` from the catalogue and the directory; its data stays
// in the archive as unused space.
void RemoveEntry(TArchiveChange& change, uint32_t index);

// Writes the data of entry `index` (whole sectors for the sector kinds) into
// the file at `path`, creating or truncating it; stops silently where the
// archive ends.
void ExtractEntry(const Catalogue& cat, uint32_t index, const std::string& path);

// Extracts each entry to folder + "/" + its name, the name read as a relative
// path with "\" or "/" between folders. Names that would lead outside the
// folder are skipped, and after the others are written an EEntryError names
// them. The folders below `folder` are entered without following a link: an
// entry with a link on its way is skipped too, and after the others are
// written the first such link raises ELinkInTheWay (before the names above).
// A link under an entry's own name is replaced by the file.
void ExtractEntriesInto(const Catalogue& cat, const std::vector<uint32_t>& indices, const std::string& folder);

enum class TReplaceResult { rrInPlace, rrMoved };
// New data for entry `index`: in its own sectors when it fits (the old bytes
// after it stay), else the entry leaves its slot and becomes the last one.
// Either way it takes the file's name.
TReplaceResult ReplaceEntry(TArchiveChange& change, uint32_t index, const std::string& path);

// `data` in place of entry `index`'s data, appended to the archive (whole
// sectors, the last padded with zeros); the entry keeps its name, index and
// row. Its old data stays as unused space.
void ReplaceEntryDataAtEnd(TArchiveChange& change, uint32_t index, std::span<const uint8_t> data);

// `name` is raw Windows-1251 bytes; the bytes of the old name after the new
// terminating zero stay in the slot.
void RenameEntry(TArchiveChange& change, uint32_t index, std::string_view name);

// Entry name for a file: the part of the path after its last "/", in
// Windows-1251 (characters it lacks become "?").
std::string EntryNameFromPath(const std::string& path);
// The extension as the save dialog's filter shows it: without its dot, ASCII
// letters upper-cased, in UTF-8.
std::string FilterExtension(std::string_view name);
// The name of Open's copy of an entry: "img" + eight upper-case hex digits of
// the low 32 bits of Offset × 2048 + the extension (UTF-8).
std::string OpenTempName(const TArchiveEntry& e);
// Open's copy of entry `index`, under OpenTempName in the user's own folder
// below tempDir ("korvane-" + the user id, see TPrivateFolder); a file left
// there by an earlier Open is replaced. Returns the copy's path.
std::string ExtractEntryForOpen(const Catalogue& cat, uint32_t index, const std::string& tempDir);
// The relative path an entry name stands for below a folder (UTF-8, "/"
// between folders), or "" with `safe` false when it would lead outside.
std::string RelativeEntryPath(std::string_view name, bool& safe);

}  // namespace korvane
