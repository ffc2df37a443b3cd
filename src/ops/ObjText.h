// Wavefront OBJ text written through a fixed buffer: the model and the
// collision exports write their lines through this one writer.
#pragma once

#include <charconv>
#include <string>

#include "base/FileIO.h"

namespace korvane::ops {

class TObjText {
public:
    explicit TObjText(const std::string& path) : file_(TFile::Create(path)) {}

    // A line as it stands ("o NAME", "f 1 2 3"), without its line end.
    void Line(const std::string& text)
    {
        buf_ += text;
        buf_ += '\n';
        Flush(false);
    }

    // "TAG x y z", each the shortest text that reads back as the same float,
    // locale-free.
    void Triple(const char* tag, float x, float y, float z)
    {
        buf_ += tag;
        for (float c : {x, y, z}) {
            char text[32];
            const auto res = std::to_chars(text, text + sizeof text, c);
            buf_ += ' ';
            buf_.append(text, res.ptr);
        }
        buf_ += '\n';
        Flush(false);
    }

    void Close()
    {
        Flush(true);
        file_.Close();
    }

private:
    void Flush(bool force)
    {
        if (force || buf_.size() >= 60000) {
            file_.Write(buf_.data(), buf_.size());
            buf_.clear();
        }
    }

    TFile file_;
    std::string buf_;
};

}  // namespace korvane::ops
