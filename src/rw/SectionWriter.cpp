#include "rw/SectionWriter.h"

#include <stdexcept>

#include "base/ByteOrder.h"
#include "rw/SectionCursor.h"

namespace korvane {

namespace {

uint32_t CheckedSize(uint64_t size)
{
    if (size > UINT32_MAX) throw std::length_error("A RenderWare section holds less than 4 GiB");
    return uint32_t(size);
}

}  // namespace

void AppendSectionHeader(std::string& out, uint32_t id, uint32_t version, uint32_t size)
{
    AppendLE32(out, id);
    AppendLE32(out, size);
    AppendLE32(out, version);
}

std::string SectionBytes(uint32_t id, uint32_t version, std::string_view body)
{
    std::string out;
    out.reserve(SectionHeaderSize + body.size());
    AppendSectionHeader(out, id, version, CheckedSize(body.size()));
    out += body;
    return out;
}

size_t TSectionWriter::Open(uint32_t id, uint32_t version)
{
    const size_t at = out_.size();
    AppendSectionHeader(out_, id, version, 0);
    return at;
}

uint64_t TSectionWriter::ContentsSince(size_t opened) const { return out_.size() - opened - SectionHeaderSize; }

void TSectionWriter::Close(size_t opened)
{
    StoreLE32(reinterpret_cast<uint8_t*>(out_.data()) + opened + 4, CheckedSize(ContentsSince(opened)));
}

}  // namespace korvane
