#include "app/ArchiveSession.h"

using namespace korvane;

TArchiveSession::TArchiveSession(QObject* parent) : QObject(parent) {}

void TArchiveSession::Open(Catalogue cat, bool writable)
{
    cat_ = std::move(cat);
    opened_ = true;
    writable_ = writable;
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
}
