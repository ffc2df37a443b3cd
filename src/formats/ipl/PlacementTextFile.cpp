#include "formats/ipl/PlacementTextFile.h"

#include <unistd.h>

namespace korvane {

namespace {
constexpr size_t BufferSize = 64 * 1024;
}

TPlacementTextFile::TPlacementTextFile(const std::string& path) : file_(TFile::Create(path))
{
    buffer_.reserve(BufferSize);
}

TPlacementTextFile::~TPlacementTextFile()
{
    if (closed_) return;
    try {
        const std::string path = file_.Path();
        file_.Close();
        ::unlink(path.c_str());
    } catch (...) {
        // Already failing; the first error is the one reported.
    }
}

void TPlacementTextFile::Line(std::string_view line)
{
    if (buffer_.size() + line.size() + 2 > BufferSize) Flush();
    if (line.size() + 2 > BufferSize) {
        file_.Write(line.data(), line.size());
        file_.Write("\r\n", 2);
        return;
    }
    buffer_.append(line);
    buffer_.append("\r\n");
}

void TPlacementTextFile::Flush()
{
    file_.Write(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void TPlacementTextFile::Close()
{
    Flush();
    file_.Close();
    closed_ = true;
}

}  // namespace korvane
