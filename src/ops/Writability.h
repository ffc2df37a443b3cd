// Whether an archive may be changed, decided here alone: the files a change
// writes are the archive and, for akImg, its ".dir". The window asks before
// it offers a change; every change probes them before it writes anything.
#pragma once

#include "archive/ArchiveOpen.h"
#include "archive/Catalogue.h"

namespace korvane {

// Whether this user may write every file a change writes (see FileWritable).
// When not, the archive is only viewed.
bool ArchiveWritable(const TArchiveLocation& where);

namespace ops {

// The kind's entries can be changed and its files (see ArchiveWritable) may
// be written: what the window needs to offer a change.
inline bool EntriesChangeable(TArchiveKind kind, bool writable) { return writable && IsSectorKind(kind); }

// Raises EViewOnlyKind for VXBG and BIGF archives.
void CheckChangeableKind(const Catalogue& cat);

// Opens each file a change writes for writing (closed again at once, nothing
// written), so that a write-protected archive or directory refuses the
// change with its file error before anything is written.
void ProbeWritable(const Catalogue& cat);

}  // namespace ops
}  // namespace korvane
