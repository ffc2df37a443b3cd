#include "archive/Errors.h"

#include <cerrno>

namespace korvane {

void RaiseReadBeyondEof() { throw EInOutError(ioReadBeyondEof, "Read beyond end of file"); }

void RaiseIoErrno(int err)
{
    switch (err) {
    case ENOENT:
        throw EInOutError(ioFileNotFound, "File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
        throw EInOutError(ioPathNotFound, "Path not found");
    case EMFILE:
    case ENFILE:
        throw EInOutError(ioTooManyOpenFiles, "Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:  // a folder is not a file that can be opened
    case ETXTBSY:
        throw EInOutError(ioAccessDenied, "File access denied");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // past the file-size limit: no more room for this file
        throw EInOutError(ioDiskFull, "Disk full");
    default:
        throw EInOutError(err, "I/O error " + std::to_string(err));
    }
}

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace korvane
