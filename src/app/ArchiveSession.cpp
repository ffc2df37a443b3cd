#include "app/ArchiveSession.h"

#include "ops/Writability.h"

using namespace korvane;

TArchiveSession::TArchiveSession(QObject* parent) : QObject(parent) {}

void TArchiveSession::Open(Catalogue cat)
{
    // Read again (after an undo, or another program's change) the archive
    // keeps its history; another archive starts without one.
    if (!opened_ || cat.ArchivePath != locked_.Cat.ArchivePath || cat.DirPath != locked_.Cat.DirPath) history_.Clear();
    locked_.Cat = std::move(cat);
    const Catalogue& c = locked_.Cat;
    opened_ = true;
    writable_ = ArchiveWritable({c.ArchivePath, c.DirPath, c.ArchiveKind});
    changeable_ = ops::EntriesChangeable(c.ArchiveKind, writable_);
    emit Loaded();
}

void TArchiveSession::MarkChanged() { emit Changed(); }

void TArchiveSession::Close()
{
    if (!opened_) return;
    emit Closed();
    history_.Clear();
    locked_.Cat = Catalogue();
    opened_ = false;
    writable_ = false;
    changeable_ = false;
}
