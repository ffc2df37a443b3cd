// The one writer of RenderWare section headers: a section opened, its
// contents appended, then closed with its size patched in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// Appends a 12-byte header: id, size, version stamp.
void AppendSectionHeader(std::string& out, uint32_t id, uint32_t version, uint32_t size);

// A whole section: header and `body`. A body of 4 GiB or more raises
// std::length_error.
std::string SectionBytes(uint32_t id, uint32_t version, std::string_view body);

// Sections written in place: Open appends a header whose size Close fills in
// from what was appended since.
class TSectionWriter {
public:
    explicit TSectionWriter(std::string& out) : out_(out) {}
    size_t Open(uint32_t id, uint32_t version);
    // Raises std::length_error when the contents reach 4 GiB.
    void Close(size_t opened);
    // The contents' size a section opened at `opened` would close with.
    uint64_t ContentsSince(size_t opened) const;
    std::string& Out() { return out_; }

private:
    std::string& out_;
};

}  // namespace korvane
