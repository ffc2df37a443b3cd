// The refusals of the operations, each a type of its own with the message the
// window shows; korvane-cli words some of them its own way from their fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Errors.h"

namespace korvane::ops {

// An entry number past the last entry.
class ENoSuchEntry : public EEntryError {
public:
    ENoSuchEntry(uint32_t index, size_t count)
        : EEntryError("No entry " + std::to_string(index) + " in the archive"), Index(index), Count(count)
    {
    }
    uint32_t Index;
    size_t Count;  // the entries the archive has
};

// A change asked of an archive whose kind is only viewed (VXBG, BIGF).
class EViewOnlyKind : public EEntryError {
public:
    EViewOnlyKind() : EEntryError("Entries of VXBG and BIGF archives can only be viewed and extracted") {}
};

// Repack or check asked of a kind that has no such commands (VXBG, BIGF).
class ENoServiceCommands : public EEntryError {
public:
    ENoServiceCommands() : EEntryError("only .img and VER2 archives have this command") {}
};

// The directory on disk is no longer the one a change was to be made from:
// another program changed the archive since it was read. Nothing was written.
class EArchiveChanged : public EEntryError {
public:
    EArchiveChanged() : EEntryError("The archive was changed by another program; nothing was written") {}
};

// An imported file whose name the directory cannot hold as it stands (more
// than 24 bytes in Windows-1251, or characters it lacks); nothing was written.
class ENameDoesNotFit : public EEntryError {
public:
    explicit ENameDoesNotFit(const std::string& path)
        : EEntryError("The name of \"" + path + "\" does not fit the archive's directory: at most 24 bytes, "
                      "characters of Windows-1251 only"),
          Path(path)
    {
    }
    std::string Path;
};

}  // namespace korvane::ops
