// Creating a file below a folder without following a link on the way.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Errors.h"
#include "base/FileIO.h"

namespace korvane {

namespace {

// A folder descriptor that only serves as a starting point for openat, so
// closing it cannot lose data and its result is not looked at.
class TFolderFd {
public:
    explicit TFolderFd(int fd) : fd_(fd) {}
    ~TFolderFd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    TFolderFd(const TFolderFd&) = delete;
    TFolderFd& operator=(const TFolderFd&) = delete;
    void Reset(int fd)
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    int Get() const { return fd_; }

private:
    int fd_;
};

int OpenAtRetrying(int dir, const char* name, int flags)
{
    FileOpPoint(foOpen);
    int fd;
    do {
        fd = ::openat(dir, name, flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

TFile CreateBelowFolder(const std::string& folder, const std::string& relative)
{
    // Errors other than a link name the whole path, as opening it by its
    // path would.
    const std::string path = folder + "/" + relative;
    // O_PATH asks only for the right to pass through, as a path lookup does.
    // The folder itself is the user's choice and may be a link.
    TFolderFd dir(OpenAtRetrying(AT_FDCWD, folder.empty() ? "/" : folder.c_str(), O_PATH | O_DIRECTORY));
    if (dir.Get() < 0) RaiseIoErrno(errno, path);
    std::string shown = folder;
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
        const std::string step = relative.substr(start, slash - start);
        if (step.empty()) continue;
        shown += "/" + step;
        const int fd = OpenAtRetrying(dir.Get(), step.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW);
        if (fd < 0) {
            // Linux answers ENOTDIR for a link opened with O_DIRECTORY, ELOOP
            // without it; only a look at the name itself tells a link apart.
            const int err = errno;
            if (err == ENOTDIR || err == ELOOP) {
                FileOpPoint(foOther);
                struct stat st {};
                if (::fstatat(dir.Get(), step.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) RaiseIoErrno(errno, path);
                if (S_ISLNK(st.st_mode)) throw ELinkInTheWay(shown);
            }
            RaiseIoErrno(err, path);
        }
        dir.Reset(fd);
    }
    const std::string leaf = start < relative.size() ? relative.substr(start) : std::string(".");
    // An existing file is overwritten in place, keeping its permissions; a
    // link under the name goes, so that what it names stays as it was.
    int fd = OpenAtRetrying(dir.Get(), leaf.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW);
    if (fd < 0 && errno == ELOOP) {
        FileOpPoint(foRemove);
        if (::unlinkat(dir.Get(), leaf.c_str(), 0) != 0 && errno != ENOENT) RaiseIoErrno(errno, path);
        fd = OpenAtRetrying(dir.Get(), leaf.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW);
    }
    if (fd < 0) RaiseIoErrno(errno, path);
    return TFile(fd, path);
}

}  // namespace korvane
