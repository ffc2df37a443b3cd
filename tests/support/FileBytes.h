// A file's bytes in memory with a section cursor over them: what the
// previews parse after reading an entry once.
#pragma once

#include <string>

#include "rw/SectionCursor.h"
#include "support/TempDir.h"

struct TFileBytes {
    explicit TFileBytes(const std::string& path) : Path(path), Bytes(ReadBytes(path)), Cursor(korvane::AsBytes(Bytes), Path) {}
    TFileBytes(const TFileBytes&) = delete;
    TFileBytes& operator=(const TFileBytes&) = delete;

    operator korvane::TSectionCursor&() { return Cursor; }
    operator korvane::TByteSpan() const { return korvane::AsBytes(Bytes); }
    void Seek(uint64_t pos) { Cursor.Seek(pos); }

    const std::string Path;
    const std::string Bytes;
    korvane::TSectionCursor Cursor;
};
