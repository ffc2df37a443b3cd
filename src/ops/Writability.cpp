#include "ops/Writability.h"

#include <string>
#include <vector>

#include "base/FileIO.h"
#include "ops/OpErrors.h"

namespace korvane {

namespace {

std::vector<std::string> FilesAChangeWrites(TArchiveKind kind, const std::string& archive, const std::string& dir)
{
    if (kind == akImg) return {archive, dir};
    return {archive};
}

}  // namespace

bool ArchiveWritable(const TArchiveLocation& where)
{
    for (const std::string& path : FilesAChangeWrites(where.Kind, where.ArchivePath, where.DirPath))
        if (!FileWritable(path)) return false;
    return true;
}

namespace ops {

void CheckChangeableKind(const Catalogue& cat)
{
    if (!IsSectorKind(cat.ArchiveKind)) throw EViewOnlyKind();
}

void ProbeWritable(const Catalogue& cat)
{
    // Closed again unchecked: nothing was written through them.
    for (const std::string& path : FilesAChangeWrites(cat.ArchiveKind, cat.ArchivePath, cat.DirPath))
        TFile::OpenReadWrite(path);
}

}  // namespace ops
}  // namespace korvane
