#include "app/ArchiveSession.h"

#include "ops/Writability.h"

using namespace korvane;

TArchiveSession::TArchiveSession(QObject* parent) : QObject(parent) {}

void TArchiveSession::Open(Catalogue cat)
{
    cat_ = std::move(cat);
    opened_ = true;
    writable_ = ArchiveWritable({cat_.ArchivePath, cat_.DirPath, cat_.ArchiveKind});
    changeable_ = ops::EntriesChangeable(cat_.ArchiveKind, writable_);
    emit Loaded();
}

void TArchiveSession::MarkChanged() { emit Changed(); }

void TArchiveSession::Close()
{
    if (!opened_) return;
    emit Closed();
    cat_ = Catalogue();
    opened_ = false;
    writable_ = false;
    changeable_ = false;
}
