#include "base/Errors.h"

#include <cerrno>

namespace korvane {

void RaiseReadBeyondEof(const std::string& path) { throw EInOutError(ioReadBeyondEof, "Read beyond end of file", path); }

void RaiseIoErrno(int err, const std::string& path)
{
    switch (err) {
    case ENOENT:
        throw EInOutError(ioFileNotFound, "File not found", path);
    case ENOTDIR:
    case ENAMETOOLONG:
        throw EInOutError(ioPathNotFound, "Path not found", path);
    case EMFILE:
    case ENFILE:
        throw EInOutError(ioTooManyOpenFiles, "Too many open files", path);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:  // a folder is not a file that can be opened
    case ETXTBSY:
        throw EInOutError(ioAccessDenied, "File access denied", path);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // past the file-size limit: no more room for this file
        throw EInOutError(ioDiskFull, "Disk full", path);
    default:
        throw EInOutError(err, "I/O error " + std::to_string(err), path);
    }
}

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace korvane
