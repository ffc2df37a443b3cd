// A text placement file on disk: every line, the last one too, ended by
// CR LF, written through a fixed buffer.
#pragma once

#include <string>
#include <string_view>

#include "base/FileIO.h"
#include "formats/ipl/Placement.h"

namespace korvane {

class TPlacementTextFile : public TPlacementSink {
public:
    // Creates (or empties) the file at `path`.
    explicit TPlacementTextFile(const std::string& path);
    // A file that was not finished by Close() is removed: a half-written
    // text is never left behind looking like a whole one.
    ~TPlacementTextFile() override;
    TPlacementTextFile(const TPlacementTextFile&) = delete;
    TPlacementTextFile& operator=(const TPlacementTextFile&) = delete;

    // `line` is bytes in Windows-1251, without a line end.
    void Line(std::string_view line) override;
    // Writes what is buffered and closes the file.
    void Close();

private:
    void Flush();
    TFile file_;
    std::string buffer_;
    bool closed_ = false;
};

}  // namespace korvane
