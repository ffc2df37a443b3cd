// The archive open in the window: its catalogue and whether this user may
// write its files. The window, its list model and the command groups share
// one session; its signals tell them when an archive has been opened, when
// its entries changed and when it was let go.
#pragma once

#include <QObject>

#include "app/UndoHistory.h"
#include "archive/ArchiveLock.h"
#include "archive/Catalogue.h"
#include "ops/ArchiveOps.h"

class TArchiveSession : public QObject {
    Q_OBJECT
public:
    explicit TArchiveSession(QObject* parent = nullptr);

    const korvane::Catalogue& Cat() const { return locked_.Cat; }
    // For the commands that change the entries, which hand it to the
    // operations together with the archive's lock (TSessionLock); each says
    // so with MarkChanged.
    korvane::Catalogue& Cat() { return locked_.Cat; }
    korvane::ops::TLockedCatalogue& Locked() { return locked_; }

    // An archive has been opened (and not closed since).
    bool Opened() const { return opened_; }
    // Its files may be written (ArchiveWritable, decided when it was opened;
    // an archive that may not is still viewed).
    bool Writable() const { return writable_; }
    // Entries may be added, replaced, deleted and renamed
    // (ops::EntriesChangeable, decided when it was opened). An archive that
    // may not be written is only viewed, as VXBG and BIGF are.
    bool Editable() const { return opened_ && changeable_; }
    // The service commands (repack, check) apply: the kind alone decides.
    bool Serviceable() const { return opened_ && korvane::IsSectorKind(locked_.Cat.ArchiveKind); }

    // The changes this window made that can be taken back and made again.
    TUndoHistory& History() { return history_; }

    // Takes a catalogue read whole as the open archive, in place of the one
    // before, and decides what may be done with its files; emits Loaded.
    void Open(korvane::Catalogue cat);
    // The entries were changed by a command, the rows already in step; emits Changed.
    void MarkChanged();
    // Lets the archive go: Closed is emitted first, while the catalogue is
    // still there for whoever shows it to let go of it.
    void Close();

signals:
    void Loaded();
    void Changed();
    void Closed();

private:
    korvane::ops::TLockedCatalogue locked_;  // the lock held only while a TSessionLock lives
    TUndoHistory history_;
    bool opened_ = false;
    bool writable_ = false;
    bool changeable_ = false;
};

// The archive's exclusive lock, taken for a change, in the session's locked
// catalogue for as long as this lives: one command's time. The operations the
// command calls take that catalogue; the lock is let go when this goes, also
// when the command fails.
class TSessionLock {
public:
    TSessionLock(TArchiveSession& session, korvane::TArchiveLock lock) : session_(session)
    {
        session_.Locked().Lock = std::move(lock);
    }
    ~TSessionLock() { session_.Locked().Lock.Release(); }
    TSessionLock(const TSessionLock&) = delete;
    TSessionLock& operator=(const TSessionLock&) = delete;

private:
    TArchiveSession& session_;
};
