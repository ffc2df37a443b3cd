// Durable replacement of files: the renames that put a finished file in the
// place of another, the folder flushes that make them survive a crash, and
// the clean-up after a failure.
#pragma once

#include <string>
#include <vector>

#include "base/FileIO.h"

namespace korvane {

// Flushes a folder's entries, so that a rename inside it survives a crash.
void SyncFolder(const std::string& folder);
// rename(2): atomically puts `from` in the place of `to`.
void RenameFile(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);
// Removal that never raises, for cleaning up after a failure; true when the
// file is gone.
bool DiscardFile(const std::string& path) noexcept;
// True when both paths name the same existing file (also through links).
bool SameFile(const std::string& a, const std::string& b);
// The folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

// The file a path names, links followed; the path itself when that fails
// (opening it will report what is wrong).
std::string RealPath(const std::string& path);
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
