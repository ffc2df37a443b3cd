// Exceptions the core raises; their messages are shown to the user as they are.
#pragma once

#include <stdexcept>
#include <string>

namespace korvane {

class EInOutError : public std::runtime_error {
public:
    EInOutError(int code, const std::string& message) : std::runtime_error(message), ErrorCode(code) {}
    int ErrorCode;
};

// Raised before an allocation that the data asks for but no machine should make.
class EOutOfMemory : public std::runtime_error {
public:
    EOutOfMemory() : std::runtime_error("Out of memory") {}
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

[[noreturn]] void RaiseReadBeyondEof();
// Maps an errno value to the runtime's error code and message and throws.
[[noreturn]] void RaiseIoErrno(int err);

// Text of the standard error box: a "." is appended when the last character
// sorts after ".".
std::string ErrorBoxText(const std::string& message);

}  // namespace korvane
