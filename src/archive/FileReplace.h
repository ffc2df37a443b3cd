// Durable replacement of files: the renames that put a finished file in the
// place of another, the folder flushes that make them survive a crash, and
// the clean-up after a failure.
#pragma once

#include <string>

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

}  // namespace korvane
