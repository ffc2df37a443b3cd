// korvane-cli as it was before archives were locked, for the lock benchmark's
// baseline: these definitions take the place of the core's lock, which the
// linker then leaves out. Nothing is locked; everything else is the same.
#include "archive/ArchiveLock.h"

namespace korvane {

TArchiveLock TArchiveLock::Acquire(const std::string&, TLockMode, const TLockWait&) { return TArchiveLock(); }
TArchiveLock::TArchiveLock(TArchiveLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
TArchiveLock& TArchiveLock::operator=(TArchiveLock&& other) noexcept
{
    fd_ = other.fd_;
    other.fd_ = -1;
    return *this;
}
TArchiveLock::~TArchiveLock() = default;
void TArchiveLock::Release() noexcept {}

}  // namespace korvane
