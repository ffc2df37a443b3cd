// Files replaced whole: the new contents are written beside the old file and
// renamed over it only when complete, so a failure or a crash leaves either
// the old file or the new one, never a mixture.
#pragma once

#include <string>
#include <vector>

#include "archive/FileIO.h"

namespace korvane {

// The file a path names, links followed; the path itself when that fails
// (opening it will report what is wrong).
std::string RealPath(const std::string& path);
// The path with its extension (from the last "." of the file name) replaced
// by `ext`, or `ext` appended when it has none.
std::string WithExtension(const std::string& path, const char* ext);
// A name for a file of our own that is none of the files to keep: a temporary
// name that happens to be one of them gets "~" appended until it is not.
std::string FreeName(std::string name, const std::vector<std::string>& keep);
// A file of the caller's own, made afresh: whatever had its name before goes,
// and a link there is removed rather than followed to the file it names.
TFile CreateFresh(const std::string& path);
// Durability of the renames; the swap has been made either way, so a folder
// that cannot be flushed does not undo it.
void SyncFolderAfterSwap(const std::string& folder) noexcept;

// Gives the file at `path` (a link: the file it names) the contents `bytes`:
// they are written to a ".~new" file beside it, flushed, given the old file's
// permissions and renamed over it. On a failure the new file goes and the old
// one is as it was.
void ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace korvane
