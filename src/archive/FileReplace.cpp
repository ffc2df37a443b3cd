#include "archive/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "base/Errors.h"
#include "base/FaultInjection.h"

namespace korvane {

namespace {

void Record(TIoEvent::TKind kind, const std::string& path, const std::string& to = {})
{
    if (TIoRecord* record = IoRecord()) record->Events.push_back({kind, path, to, 0, {}});
}

}  // namespace

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
    Record(TIoEvent::SyncFolder, folder);
}

void RenameFile(const std::string& from, const std::string& to)
{
    FileOpPoint(foRename);
    if (::rename(from.c_str(), to.c_str()) != 0) RaiseIoErrno(errno);
    Record(TIoEvent::Rename, from, to);
}

void RemoveFile(const std::string& path)
{
    FileOpPoint(foRemove);
    if (::unlink(path.c_str()) != 0) RaiseIoErrno(errno, path);
    Record(TIoEvent::Remove, path);
}

bool DiscardFile(const std::string& path) noexcept
{
    if (::unlink(path.c_str()) != 0) return errno == ENOENT;
    Record(TIoEvent::Remove, path);
    return true;
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

std::string RealPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string result(real);
    std::free(real);
    return result;
}

std::string FreeName(std::string name, const std::vector<std::string>& keep)
{
    auto clashes = [&](const std::string& n) {
        return std::any_of(keep.begin(), keep.end(), [&](const std::string& k) { return k == n || SameFile(k, n); });
    };
    while (clashes(name)) name += '~';
    return name;
}

TFile CreateFresh(const std::string& path)
{
    DiscardFile(path);
    return TFile::Create(path);
}

void SyncFolderAfterSwap(const std::string& folder) noexcept
{
    try {
        SyncFolder(folder);
    } catch (...) {
    }
}

void ReplaceFileContents(const std::string& path, const std::string& bytes)
{
    const std::string target = RealPath(path);
    const std::string temp = FreeName(WithExtension(target, ".~new"), {target});
    TFile old = TFile::OpenReadWrite(target);
    const uint32_t mode = old.Mode();
    old.Close();
    try {
        TFile out = CreateFresh(temp);
        out.SetMode(mode);
        out.Write(bytes.data(), bytes.size());
        out.Sync();
        out.Close();
        RenameFile(temp, target);
    } catch (...) {
        DiscardFile(temp);
        throw;
    }
    SyncFolderAfterSwap(FolderOf(target));
}

}  // namespace korvane
