#include "archive/FileReplace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/Errors.h"
#include "archive/FaultInjection.h"

namespace korvane {

void SyncFolder(const std::string& folder)
{
    FileOpPoint(foSync);
    int fd;
    do {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) RaiseIoErrno(errno, folder);
    int rc = ::fsync(fd);
    int err = errno;
    ::close(fd);
    // Some file systems cannot flush a folder; the rename is made all the same.
    if (rc != 0 && err != EINVAL && err != ENOTSUP) RaiseIoErrno(err, folder);
}

void RenameFile(const std::string& from, const std::string& to)
{
    FileOpPoint(foRename);
    if (::rename(from.c_str(), to.c_str()) != 0) RaiseIoErrno(errno);
}

void RemoveFile(const std::string& path)
{
    FileOpPoint(foRemove);
    if (::unlink(path.c_str()) != 0) RaiseIoErrno(errno, path);
}

bool DiscardFile(const std::string& path) noexcept
{
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace korvane
