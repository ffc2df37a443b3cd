// The fuzz input as a file the readers can open by path, held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

class TFuzzFile {
public:
    TFuzzFile(const uint8_t* data, size_t size)
    {
        fd_ = ::memfd_create("korvane-fuzz", 0);
        if (fd_ >= 0 && ::write(fd_, data, size) != ssize_t(size)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TFuzzFile()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    TFuzzFile(const TFuzzFile&) = delete;
    TFuzzFile& operator=(const TFuzzFile&) = delete;

    bool Ok() const { return fd_ >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_ = -1;
};
