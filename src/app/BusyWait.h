// The window's wait for an archive that another program is changing: up to
// ten seconds, the same as korvane-cli's, with a busy cursor from the first
// moment of waiting, the window repainting meanwhile (the user's input waits).
#pragma once

#include "archive/ArchiveLock.h"

class TBusyCursorWait {
public:
    TBusyCursorWait();
    ~TBusyCursorWait();  // the cursor back as it was
    TBusyCursorWait(const TBusyCursorWait&) = delete;
    TBusyCursorWait& operator=(const TBusyCursorWait&) = delete;
    const korvane::TLockWait& Wait() const { return wait_; }

private:
    korvane::TLockWait wait_;
    bool cursorSet_ = false;
};
