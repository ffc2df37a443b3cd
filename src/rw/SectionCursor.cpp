#include "rw/SectionCursor.h"

#include <algorithm>
#include <cstring>

#include "base/ByteOrder.h"
#include "base/Errors.h"

namespace korvane {

void TSectionCursor::RaiseShort() const { RaiseReadBeyondEof(std::string(path_)); }

TByteSpan TSectionCursor::Take(uint64_t n)
{
    if (!Holds(pos_, n)) RaiseShort();
    const TByteSpan out = bytes_.subspan(size_t(pos_), size_t(n));
    pos_ += n;
    return out;
}

void TSectionCursor::ReadExact(void* dst, uint64_t n)
{
    const TByteSpan in = Take(n);
    if (n) std::memcpy(dst, in.data(), in.size());
}

uint16_t TSectionCursor::ReadLE16() { return LoadLE16(Take(2).data()); }

uint32_t TSectionCursor::ReadLE32() { return LoadLE32(Take(4).data()); }

TSectionHeader TSectionCursor::ReadHeader()
{
    const uint8_t* p = Take(SectionHeaderSize).data();
    return {LoadLE32(p), LoadLE32(p + 4), LoadLE32(p + 8)};
}

TSectionHeader TSectionCursor::Find(uint32_t id)
{
    for (;;) {
        const TSectionHeader h = ReadHeader();
        if (h.Id == id) return h;
        pos_ += h.Size;
    }
}

bool TSectionCursor::StartsWithin(uint64_t start, uint64_t end, uint32_t id) const
{
    end = std::min<uint64_t>(end, bytes_.size());
    for (uint64_t pos = start; pos <= end && end - pos >= SectionHeaderSize;) {
        const uint8_t* p = bytes_.data() + pos;
        if (LoadLE32(p) == id) return true;
        pos += SectionHeaderSize + LoadLE32(p + 4);
    }
    return false;
}

bool TSectionCursor::SectionAt(uint64_t pos, uint64_t end, TSection& s, bool& fits) const
{
    end = std::min<uint64_t>(end, bytes_.size());
    if (pos > end || end - pos < SectionHeaderSize) return false;
    const uint8_t* p = bytes_.data() + pos;
    s.Header = {LoadLE32(p), LoadLE32(p + 4), LoadLE32(p + 8)};
    s.At = pos;
    s.Body = pos + SectionHeaderSize;
    s.End = s.Body + s.Header.Size;
    fits = s.Header.Size <= end - s.Body;
    return true;
}

bool TSectionCursor::Next(uint64_t& pos, uint64_t end, TSection& s) const
{
    bool fits = false;
    if (!SectionAt(pos, end, s, fits)) return false;
    if (!fits) RaiseShort();
    pos = s.End;
    return true;
}

bool TSectionCursor::FindWithin(uint64_t& pos, uint64_t end, uint32_t id, TSection& s) const
{
    while (Next(pos, end, s))
        if (s.Header.Id == id) return true;
    return false;
}

}  // namespace korvane
