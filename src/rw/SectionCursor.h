// One bounded cursor over the bytes of a RenderWare stream held in memory
// (an archive entry read whole, or a loose file): reads, section headers and
// the walks over them. Every read is checked against the span; positions are
// 64-bit, so a hostile size can never wrap back onto bytes already read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvane {

using TByteSpan = std::span<const uint8_t>;

inline TByteSpan AsBytes(std::string_view s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

constexpr uint64_t SectionHeaderSize = 12;

struct TSectionHeader {
    uint32_t Id = 0;
    uint32_t Size = 0;     // bytes of contents after the header
    uint32_t Version = 0;  // library version stamp
};

// A section found by a bounded walk: its header and where its contents lie.
struct TSection {
    TSectionHeader Header;
    uint64_t At = 0;    // its header's first byte
    uint64_t Body = 0;  // its first content byte
    uint64_t End = 0;   // one past its last content byte
};

class TSectionCursor {
public:
    // `path` names the file the bytes came from in "Read beyond end of file"
    // errors; it must outlive the cursor.
    explicit TSectionCursor(TByteSpan bytes, std::string_view path = {}) : bytes_(bytes), path_(path) {}

    uint64_t Size() const { return bytes_.size(); }
    uint64_t Position() const { return pos_; }
    // Any position, past the end included: the next read there fails.
    void Seek(uint64_t pos) { pos_ = pos; }
    TByteSpan Bytes() const { return bytes_; }
    std::string_view Path() const { return path_; }

    // Exactly n bytes from the position on, or "Read beyond end of file".
    void ReadExact(void* dst, uint64_t n);
    // The next n bytes in place, the position moved past them.
    TByteSpan Take(uint64_t n);
    uint16_t ReadLE16();
    uint32_t ReadLE32();
    // Whether n bytes stand between `pos` and the end.
    bool Holds(uint64_t pos, uint64_t n) const { return pos <= bytes_.size() && n <= bytes_.size() - pos; }
    [[noreturn]] void RaiseShort() const;

    // The 12-byte header at the position, the position moved past it.
    TSectionHeader ReadHeader();
    // Walks from the position, skipping each section by its size, up to the
    // first with `id`; the position is then on its first content byte. Runs
    // off the end with "Read beyond end of file". Only ever moves forward.
    TSectionHeader Find(uint32_t id);
    // Whether the walk from `start` meets a section with `id` whose header
    // lies before `end` (and the span's end). The position is left alone.
    bool StartsWithin(uint64_t start, uint64_t end, uint32_t id) const;

    // The section whose header is at `pos` when header and contents lie
    // before `end`; false when no header fits there, and `fits` false (the
    // section set all the same) when its contents run past `end`.
    bool SectionAt(uint64_t pos, uint64_t end, TSection& s, bool& fits) const;
    // The bounded walk inside a parent: the section at `pos`, `pos` then
    // moved past it. False when no header fits before `end` (padding at the
    // end of a section is no error); contents running past `end` raise
    // "Read beyond end of file".
    bool Next(uint64_t& pos, uint64_t end, TSection& s) const;
    // Next until a section with `id`.
    bool FindWithin(uint64_t& pos, uint64_t end, uint32_t id, TSection& s) const;

private:
    TByteSpan bytes_;
    std::string_view path_;
    uint64_t pos_ = 0;
};

}  // namespace korvane
