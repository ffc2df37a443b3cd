// The archive open in the window: its catalogue and whether this user may
// write its files. The window, its list model and the command groups share
// one session; its signals tell them when an archive has been opened, when
// its entries changed and when it was let go.
#pragma once

#include <QObject>

#include "archive/Catalogue.h"

class TArchiveSession : public QObject {
    Q_OBJECT
public:
    explicit TArchiveSession(QObject* parent = nullptr);

    const korvane::Catalogue& Cat() const { return cat_; }
    // For the commands that change the entries; each says so with MarkChanged.
    korvane::Catalogue& Cat() { return cat_; }

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
    bool Serviceable() const { return opened_ && korvane::IsSectorKind(cat_.ArchiveKind); }

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
    korvane::Catalogue cat_;
    bool opened_ = false;
    bool writable_ = false;
    bool changeable_ = false;
};
