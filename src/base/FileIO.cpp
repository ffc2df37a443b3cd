#include "base/FileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/ByteOrder.h"
#include "base/Errors.h"

namespace korvane {

namespace {

int OpenChecked(const std::string& path, int flags)
{
    FileOpPoint(foOpen);
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseIoErrno(errno, path);
    return fd;
}

void Record(TIoEvent::TKind kind, const std::string& path, uint64_t pos = 0, std::string bytes = {})
{
    if (TIoRecord* record = IoRecord()) record->Events.push_back({kind, path, {}, pos, std::move(bytes)});
}

}  // namespace

TFile TFile::OpenReadWrite(const std::string& path) { return TFile(OpenChecked(path, O_RDWR), path); }
// Without O_NONBLOCK a named pipe given as an archive would wait for a
// writer for ever; regular files ignore the flag.
TFile TFile::OpenReadOnly(const std::string& path) { return TFile(OpenChecked(path, O_RDONLY | O_NONBLOCK), path); }
TFile TFile::OpenToCopyFrom(const std::string& path)
{
    TFile file = OpenReadOnly(path);
    struct stat st {};
    if (::fstat(file.fd_, &st) != 0) RaiseIoErrno(errno, path);
    if (S_ISDIR(st.st_mode)) RaiseIoErrno(EISDIR, path);
    return file;
}
TFile TFile::Create(const std::string& path)
{
    TFile file(OpenChecked(path, O_RDWR | O_CREAT | O_TRUNC), path);
    Record(TIoEvent::Create, path);
    return file;
}

TFile::TFile(TFile&& other) noexcept : fd_(other.fd_), pos_(other.pos_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        pos_ = other.pos_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

TFile::~TFile()
{
    if (fd_ >= 0) ::close(fd_);
}

void TFile::Close()
{
    if (fd_ < 0) return;
    FileOpPoint(foOther);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) RaiseIoErrno(errno, path_);
}

uint64_t TFile::Size() const
{
    FileOpPoint(foOther);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) RaiseIoErrno(errno, path_);
    return uint64_t(st.st_size);
}

size_t TFile::ReadSome(void* buf, size_t n)
{
    FileOpPoint(foRead);
    auto* out = static_cast<char*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(fd_, out + done, n - done, off_t(pos_));
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseIoErrno(errno, path_);
        }
        if (got == 0) break;
        done += size_t(got);
        pos_ += uint64_t(got);
    }
    return done;
}

void TFile::ReadExact(void* buf, size_t n)
{
    if (ReadSome(buf, n) != n) RaiseReadBeyondEof(path_);
}

void TFile::Write(const void* buf, size_t n)
{
    FileOpPoint(foWrite);
    auto* in = static_cast<const char*>(buf);
    size_t done = 0;
    while (done < n) {
        ssize_t put = ::pwrite(fd_, in + done, n - done, off_t(pos_));
        if (put < 0) {
            if (errno == EINTR) continue;
            RaiseIoErrno(errno, path_);
        }
        done += size_t(put);
        pos_ += uint64_t(put);
    }
    if (n > 0 && IoRecord()) Record(TIoEvent::Write, path_, pos_ - n, std::string(in, n));
}

void TFile::Truncate(uint64_t size)
{
    FileOpPoint(foOther);
    if (::ftruncate(fd_, off_t(size)) != 0) RaiseIoErrno(errno, path_);
    Record(TIoEvent::Truncate, path_, size);
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileWritable(const std::string& path) { return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0; }

TPrivateFolder::TPrivateFolder(const std::string& parent, const std::string& name) : path_(parent + "/" + name)
{
    FileOpPoint(foOther);
    if (::mkdir(path_.c_str(), 0700) != 0 && errno != EEXIST) RaiseIoErrno(errno, path_);
    FileOpPoint(foOpen);
    do {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    // A link (ELOOP) or something that is no folder (ENOTDIR) is not ours to use.
    if (fd_ < 0) RaiseIoErrno(errno == ELOOP || errno == ENOTDIR ? EACCES : errno, path_);
    struct stat st {};
    int err = ::fstat(fd_, &st) != 0 ? errno : 0;
    if (err == 0 && (st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)) err = EACCES;
    if (err != 0) {
        ::close(fd_);  // no destructor runs for a constructor that raises
        RaiseIoErrno(err, path_);
    }
}

TPrivateFolder::~TPrivateFolder()
{
    if (fd_ >= 0) ::close(fd_);
}

TFile TPrivateFolder::CreateFresh(const std::string& name)
{
    const std::string path = path_ + "/" + name;
    FileOpPoint(foRemove);
    if (::unlinkat(fd_, name.c_str(), 0) != 0 && errno != ENOENT) RaiseIoErrno(errno, path);
    FileOpPoint(foOpen);
    int fd;
    do {
        fd = ::openat(fd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseIoErrno(errno, path);
    return TFile(fd, path);
}

TBufferedReader::TBufferedReader(TFile& file, size_t bufferSize) : file_(file), buffer_(bufferSize, '\0')
{
    Seek(file.Position());
}

void TBufferedReader::Seek(uint64_t pos)
{
    file_.Seek(pos);
    filePos_ = pos;
    next_ = end_ = reinterpret_cast<const uint8_t*>(buffer_.data());
}

void TBufferedReader::Fill()
{
    file_.Seek(filePos_);
    size_t got = file_.ReadSome(buffer_.data(), buffer_.size());
    if (got == 0) RaiseReadBeyondEof(file_.Path());
    next_ = reinterpret_cast<const uint8_t*>(buffer_.data());
    end_ = next_ + got;
    filePos_ += got;
}

void TBufferedReader::Read(void* dst, size_t n)
{
    auto* out = static_cast<uint8_t*>(dst);
    while (n > 0) {
        if (next_ == end_) Fill();
        size_t take = std::min(n, size_t(end_ - next_));
        std::memcpy(out, next_, take);
        out += take;
        next_ += take;
        n -= take;
    }
}

uint32_t TBufferedReader::ReadLE32()
{
    uint8_t b[4];
    Read(b, 4);
    return LoadLE32(b);
}

uint32_t TBufferedReader::ReadBE32()
{
    uint8_t b[4];
    Read(b, 4);
    return LoadBE32(b);
}

namespace {

// Large enough that the per-call cost vanishes beside the copying itself,
// small enough to stay a fixed, bounded buffer.
constexpr size_t kCopyBufferSize = 1024 * 1024;

uint64_t CopyThroughBuffer(TFile& from, TFile& to, uint64_t n)
{
    std::unique_ptr<char[]> buffer(new char[kCopyBufferSize]);
    uint64_t done = 0;
    while (done < n) {
        const size_t want = size_t(std::min<uint64_t>(n - done, kCopyBufferSize));
        const size_t got = from.ReadSome(buffer.get(), want);
        to.Write(buffer.get(), got);
        done += got;
        if (got < want) break;  // the source has ended
    }
    return done;
}

}  // namespace

uint64_t CopyFileData(TFile& from, TFile& to, uint64_t n)
{
    // The kernel's copy is taken also where the two positions sit at
    // different places within a page (entries lie on 2048-byte sectors):
    // it copies the bytes once, the buffer twice, and measured faster so.
    uint64_t done = 0;
    while (done < n) {
        loff_t in = loff_t(from.pos_);
        loff_t out = loff_t(to.pos_);
        const size_t want = size_t(std::min<uint64_t>(n - done, uint64_t(1) << 30));
        // One kernel copy reads and writes: both can be made to fail in tests.
        FileOpPoint(foRead);
        FileOpPoint(foWrite);
        const int refusal = KernelCopyRefusal();
        ssize_t got = refusal != 0 ? (errno = refusal, -1) : ::copy_file_range(from.fd_, &in, to.fd_, &out, want, 0);
        if (got < 0) {
            if (errno == EINTR) continue;
            // Files the kernel cannot copy between (other file systems,
            // pipes, overlapping ranges of one file) go through the buffer.
            if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
                return done + CopyThroughBuffer(from, to, n - done);
            // Which of the two files failed is known only for a full disk.
            const int err = errno;
            RaiseIoErrno(err, err == ENOSPC || err == EDQUOT || err == EFBIG ? to.path_ : std::string());
        }
        if (got == 0) {
            // Some special files report nothing although data is there.
            if (from.pos_ < from.Size()) return done + CopyThroughBuffer(from, to, n - done);
            break;
        }
        if (IoRecord()) {
            // The kernel copied without our buffer: the bytes are read back.
            std::string bytes(size_t(got), '\0');
            if (::pread(to.fd_, bytes.data(), bytes.size(), off_t(to.pos_)) != got) RaiseIoErrno(EIO, to.path_);
            Record(TIoEvent::Write, to.path_, to.pos_, std::move(bytes));
        }
        from.pos_ += uint64_t(got);
        to.pos_ += uint64_t(got);
        done += uint64_t(got);
    }
    return done;
}

void TFile::Sync()
{
    FileOpPoint(foSync);
    if (::fsync(fd_) != 0) RaiseIoErrno(errno, path_);
    Record(TIoEvent::Sync, path_);
}

void TFile::SyncData()
{
    FileOpPoint(foSync);
    if (::fdatasync(fd_) != 0) RaiseIoErrno(errno, path_);
    Record(TIoEvent::Sync, path_);  // the simulation keeps no metadata apart
}

void TFile::StartWriteback(uint64_t pos, uint64_t n)
{
    FileOpPoint(foSync);
    if (::sync_file_range(fd_, off_t(pos), off_t(n), SYNC_FILE_RANGE_WRITE) != 0) RaiseIoErrno(errno, path_);
}

uint32_t TFile::Mode() const
{
    FileOpPoint(foOther);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) RaiseIoErrno(errno, path_);
    return uint32_t(st.st_mode & 07777);
}

void TFile::SetMode(uint32_t mode)
{
    FileOpPoint(foOther);
    if (::fchmod(fd_, mode_t(mode)) != 0) RaiseIoErrno(errno, path_);
}

}  // namespace korvane
