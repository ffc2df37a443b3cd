#include "archive/ArchiveLock.h"

#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace korvane {

namespace {

using TClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How often a waiting caller hears of it.
constexpr milliseconds kWaitSlice{50};

struct flock WholeFile(short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;  // to the end, however far the file grows
    fl.l_pid = 0;  // required for open file description locks
    return fl;
}

// A file system that keeps no locks (some network mounts answer ENOLCK).
bool LocksUnsupported(int err) { return err == ENOLCK || err == EINVAL || err == EOPNOTSUPP || err == ENOSYS; }

// The file opened for the lock it is to carry; `type` becomes F_RDLCK when
// an exclusive lock is asked of a file this user may not write.
int OpenForLock(const std::string& path, short& type)
{
    auto open = [&path](int flags) {
        int fd;
        do {
            fd = ::open(path.c_str(), flags | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        return fd;
    };
    // O_NONBLOCK: a named pipe given as an archive must not wait for a writer.
    int fd = open(type == F_WRLCK ? O_RDWR : O_RDONLY | O_NONBLOCK);
    if (fd < 0 && type == F_WRLCK && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY)) {
        type = F_RDLCK;
        fd = open(O_RDONLY | O_NONBLOCK);
    }
    if (fd < 0) RaiseIoErrno(errno, path);
    return fd;
}

enum class TTry { tLocked, tBusy, tUnsupported };

TTry TryLock(int fd, short type, const std::string& path)
{
    struct flock fl = WholeFile(type);
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &fl) == 0) return TTry::tLocked;
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return TTry::tBusy;  // both mean "held by another"
        if (LocksUnsupported(errno)) return TTry::tUnsupported;
        RaiseIoErrno(errno, path);
    }
}

// Neither lock call can wait with a time limit, short of a signal: a thread
// of its own waits in the kernel's queue (so the lock passes on the moment
// it is free, in order), while the caller waits for that thread up to the
// limit. A thread given up on keeps the descriptor, and lets go of the lock
// the moment it gets it.
struct TWaiter {
    enum TState { wsWaiting, wsDone, wsAbandoned };
    std::mutex m;
    std::condition_variable cv;
    TState state = wsWaiting;
    int err = 0;
    int fd = -1;
};

void WaitInKernel(const std::shared_ptr<TWaiter>& w, short type)
{
    struct flock fl = WholeFile(type);
    int err = 0;
    while (::fcntl(w->fd, F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR) {
            err = errno;
            break;
        }
    }
    std::unique_lock<std::mutex> l(w->m);
    if (w->state == TWaiter::wsAbandoned) {
        l.unlock();
        ::close(w->fd);
        return;
    }
    w->err = err;
    w->state = TWaiter::wsDone;
    w->cv.notify_all();
}

// Waits for the lock until `deadline`. True when locked (or locks are not
// kept there); false when the wait ended first, and then the descriptor
// belongs to the waiting thread.
bool WaitForLock(int fd, short type, TClock::time_point start, TClock::time_point deadline, const TLockWait& wait,
                 const std::string& path)
{
    std::shared_ptr<TWaiter> w;
    try {
        w = std::make_shared<TWaiter>();
        w->fd = fd;
        std::thread(WaitInKernel, w, type).detach();
    } catch (...) {
        ::close(fd);  // no thread took it
        throw;
    }
    std::unique_lock<std::mutex> l(w->m);
    for (;;) {
        const TClock::time_point now = TClock::now();
        if (now >= deadline) break;
        const auto slice = std::min<TClock::duration>(kWaitSlice, deadline - now);
        if (w->cv.wait_for(l, slice, [&w] { return w->state == TWaiter::wsDone; })) break;
        if (!wait.Waiting || TClock::now() >= deadline) continue;
        l.unlock();
        try {
            wait.Waiting(path, std::chrono::duration_cast<milliseconds>(TClock::now() - start));
        } catch (...) {
            l.lock();
            if (w->state != TWaiter::wsDone) {
                w->state = TWaiter::wsAbandoned;
                throw;
            }
            ::close(fd);
            throw;
        }
        l.lock();
    }
    if (w->state != TWaiter::wsDone) {
        w->state = TWaiter::wsAbandoned;
        return false;
    }
    if (w->err != 0 && !LocksUnsupported(w->err)) {
        ::close(fd);
        RaiseIoErrno(w->err, path);
    }
    return true;
}

bool SameFileAsPath(int fd, const std::string& path)
{
    struct stat held {}, named {};
    if (::fstat(fd, &held) != 0) RaiseIoErrno(errno, path);
    if (::stat(path.c_str(), &named) != 0) RaiseIoErrno(errno, path);
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

TArchiveLock TArchiveLock::Acquire(const std::string& path, TLockMode mode, const TLockWait& wait)
{
    const TClock::time_point start = TClock::now();
    const TClock::time_point deadline = start + std::max(wait.Limit, milliseconds(0));
    for (;;) {
        short type = mode == TLockMode::lmExclusive ? F_WRLCK : F_RDLCK;
        const int fd = OpenForLock(path, type);
        TArchiveLock lock(fd);  // closes the descriptor on every way out
        const TTry got = TryLock(fd, type, path);
        if (got == TTry::tUnsupported) return TArchiveLock();
        if (got == TTry::tBusy) {
            lock.fd_ = -1;  // the waiting below owns it now
            if (TClock::now() >= deadline) {
                ::close(fd);
                throw EArchiveBusy(path);
            }
            if (!WaitForLock(fd, type, start, deadline, wait, path)) throw EArchiveBusy(path);
            lock.fd_ = fd;
        }
        // A repack may have put a new file in place while we waited: the lock
        // on the old one guards nothing now.
        if (SameFileAsPath(fd, path)) return lock;
    }
}

TArchiveLock::TArchiveLock(TArchiveLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

TArchiveLock& TArchiveLock::operator=(TArchiveLock&& other) noexcept
{
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

TArchiveLock::~TArchiveLock() { Release(); }

void TArchiveLock::Release() noexcept
{
    if (fd_ < 0) return;
    ::close(fd_);  // the lock goes with the last descriptor of its open file description
    fd_ = -1;
}

}  // namespace korvane
