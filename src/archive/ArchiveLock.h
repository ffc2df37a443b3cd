// Advisory locks that let two programs share one archive: a change holds the
// archive exclusively for its whole read-check-write, a reader holds it
// shared while it reads the directory.
//
// The locks are open file description locks (fcntl F_OFD_SETLK): the kernel
// drops them when the process ends, however it ends, and, unlike a classic
// POSIX record lock, closing some other descriptor of the same file in this
// process (every operation opens and closes the archive on its own) does not
// drop them. They also conflict with the POSIX record locks other programs
// take, and work on network file systems through their lock service.
//
// For ".img"+".dir" the lock is always on the ".img" (ArchivePath): it exists
// for every kind, and repacking renames it last.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "base/Errors.h"

namespace korvane {

// The archive was still locked by another program when the wait ended.
class EArchiveBusy : public EEntryError {
public:
    explicit EArchiveBusy(std::string path)
        : EEntryError("busy: another program is changing it"), Path(std::move(path))
    {
    }
    std::string Path;  // the locked file
};

// How long to wait for an archive another program holds.
struct TLockWait {
    std::chrono::milliseconds Limit = std::chrono::seconds(10);  // 0: one try
    // Called about every 50 ms while waiting, with the file waited for and
    // the time waited so far (the window keeps painting and shows a busy
    // cursor; the command line says once that it waits).
    std::function<void(const std::string& path, std::chrono::milliseconds waited)> Waiting;
};

enum class TLockMode { lmShared, lmExclusive };

class TArchiveLock {
public:
    TArchiveLock() = default;  // holds nothing
    // Locks the file at `path` (a link: the file it names), waiting as
    // `wait` says; raises EArchiveBusy when the wait ends first, the file
    // error when it cannot be opened. Once locked, the path is checked to
    // still name the locked file (device and inode): a repack that renamed a
    // new archive over it while we waited is followed to the new file.
    //
    // An exclusive lock needs the file opened for writing. When this user
    // may not write it, a shared lock is taken instead: the change will be
    // refused by its own checks, and until then the directory is read whole.
    // A file system without locks is used unlocked, as before locking existed.
    static TArchiveLock Acquire(const std::string& path, TLockMode mode, const TLockWait& wait = {});

    TArchiveLock(TArchiveLock&& other) noexcept;
    TArchiveLock& operator=(TArchiveLock&& other) noexcept;
    TArchiveLock(const TArchiveLock&) = delete;
    TArchiveLock& operator=(const TArchiveLock&) = delete;
    ~TArchiveLock();

    bool Held() const { return fd_ >= 0; }
    // Lets the archive go (as the destructor does).
    void Release() noexcept;

private:
    explicit TArchiveLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace korvane
