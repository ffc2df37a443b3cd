// Exceptions the core raises; their messages are shown to the user as they are.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace korvane {

class EInOutError : public std::runtime_error {
public:
    EInOutError(int code, const std::string& message, std::string path = {})
        : std::runtime_error(message), ErrorCode(code), Path(std::move(path))
    {
    }
    int ErrorCode;
    // The file the error concerns, where the raising code knows it; the
    // message itself never repeats it, as the window shows the message alone.
    std::string Path;
};

// Raised before an allocation that the data asks for but no machine should make.
class EOutOfMemory : public std::runtime_error {
public:
    EOutOfMemory() : std::runtime_error("Out of memory") {}
};

// Refusals of the entry operations and of repacking themselves (as opposed
// to file errors).
class EEntryError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A symbolic link where extracting into a folder would have to follow one;
// `Path` is the link: the folder as given, then the entry's own folders.
class ELinkInTheWay : public EEntryError {
public:
    explicit ELinkInTheWay(const std::string& path)
        : EEntryError("Not extracted, a symbolic link is in the way: \"" + path + "\""), Path(path)
    {
    }
    std::string Path;
};

// Error codes and texts of the runtime's file errors.
enum : int {
    ioFileNotFound = 2,
    ioPathNotFound = 3,
    ioTooManyOpenFiles = 4,
    ioAccessDenied = 5,
    ioReadBeyondEof = 100,
    ioDiskFull = 101,
};

// `path`, when given, is the file concerned (EInOutError::Path).
[[noreturn]] void RaiseReadBeyondEof(const std::string& path = {});
// Maps an errno value to the runtime's error code and message and throws.
[[noreturn]] void RaiseIoErrno(int err, const std::string& path = {});

// Text of the standard error box: a "." is appended when the last character
// sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace korvane
