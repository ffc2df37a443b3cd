// The bounded section cursor and the section writer, on bytes worked out by
// hand: every limit on both sides, the last accepted and the first refused.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/Errors.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"
#include "rw/SectionWriter.h"
#include "support/ArchiveWriters.h"

using namespace korvane;

namespace {

// id 3, size 4, version 0x1803FFFF, "abcd": 16 bytes.
const std::string kExtension("\x03\0\0\0\x04\0\0\0\xFF\xFF\x03\x18" "abcd", 16);

std::string ReadError(const std::function<void()>& read)
{
    try {
        read();
    } catch (const EInOutError& e) {
        return std::string(e.what()) + " @" + e.Path;
    }
    return "no error";
}

}  // namespace

TEST(SectionWriter, WritesIdSizeAndStampLittleEndianAndPatchesSizesOnClose)
{
    EXPECT_EQ(SectionBytes(rwExtension, 0x1803FFFF, "abcd"), kExtension);
    std::string out = "lead";
    TSectionWriter w(out);
    const size_t outer = w.Open(rwTextureDictionary, 0x1803FFFF);
    const size_t inner = w.Open(rwStruct, 0x1003FFFF);
    out += "xy";
    w.Close(inner);
    w.Close(outer);
    EXPECT_EQ(out, std::string("lead"
                               "\x16\0\0\0\x0E\0\0\0\xFF\xFF\x03\x18"
                               "\x01\0\0\0\x02\0\0\0\xFF\xFF\x03\x10xy",
                               4 + 12 + 12 + 2));
}

TEST(SectionCursor, BoundedWalksAcceptWhatEndsAtTheBoundAndRefuseOneBytePast)
{
    const std::string two = kExtension + kExtension;  // 32 bytes
    const TSectionCursor in(AsBytes(two), "/x/a.img");
    struct TCase {
        uint64_t end;
        bool found;    // a header fits before `end`
        bool fits;     // and its contents do
    };
    const TCase cases[] = {
        {32, true, true}, {31, true, false}, {28, true, false}, {27, false, false}, {99, true, true},
    };
    for (const TCase& c : cases) {
        TSection s;
        bool fits = false;
        EXPECT_EQ(in.SectionAt(16, c.end, s, fits), c.found) << c.end;
        if (!c.found) continue;
        EXPECT_EQ(fits, c.fits) << c.end;
        EXPECT_EQ(s.At, 16u);
        EXPECT_EQ(s.Body, 28u);
        EXPECT_EQ(s.End, 32u);
        uint64_t pos = 16;
        if (c.fits) {
            EXPECT_TRUE(in.Next(pos, c.end, s));
            EXPECT_EQ(pos, 32u);
        } else {
            EXPECT_EQ(ReadError([&] { in.Next(pos, c.end, s); }), "Read beyond end of file @/x/a.img") << c.end;
        }
    }
    // A dictionary's header starts within the first 12 + 16 bytes, not 27.
    const std::string dict = kExtension + SectionBytes(rwTextureDictionary, 0, "");
    const TSectionCursor d(AsBytes(dict));
    EXPECT_TRUE(d.StartsWithin(0, 28, rwTextureDictionary));
    EXPECT_FALSE(d.StartsWithin(0, 27, rwTextureDictionary));
    EXPECT_FALSE(d.StartsWithin(0, 28, rwClump));
}

TEST(SectionCursor, ReadsStopAtTheSpansEndWithoutWrappingOn64BitSizes)
{
    TSectionCursor in(AsBytes(kExtension), "/x/t.txd");
    in.Seek(12);
    EXPECT_EQ(in.ReadLE32(), 0x64636261u);  // the last four bytes: accepted
    EXPECT_EQ(ReadError([&] { in.ReadLE16(); }), "Read beyond end of file @/x/t.txd");
    in.Seek(UINT64_MAX - 1);
    EXPECT_EQ(ReadError([&] { in.Take(4); }), "Read beyond end of file @/x/t.txd");
    EXPECT_FALSE(in.Holds(16, 1));
    EXPECT_TRUE(in.Holds(16, 0));
    EXPECT_FALSE(in.Holds(1, UINT64_MAX));
    // A size of 2^32 - 1 skips past the end: the next header fails to read.
    const std::string huge = std::string("\x03\0\0\0\xFF\xFF\xFF\xFF\0\0\0\0", 12) + kExtension;
    TSectionCursor h(AsBytes(huge));
    EXPECT_EQ(ReadError([&] { h.Find(rwTexture); }), "Read beyond end of file @");
}

TEST(SectionCursor, FindSkipsOtherSectionsByTheirSizeAndStopsOnTheContents)
{
    const std::string bytes = "pad" + RwSection(rwExtension, "xxxxx") + RwSection(rwTextureDictionary, RwSection(rwStruct, "abcd"));
    TSectionCursor f(AsBytes(bytes));
    f.Seek(3);
    TSectionHeader h = f.Find(rwTextureDictionary);
    EXPECT_EQ(h.Id, 0x16u);
    EXPECT_EQ(h.Size, 16u);
    EXPECT_EQ(h.Version, 0x1803FFFFu);
    EXPECT_EQ(f.Position(), 3u + 17 + 12);
    f.Find(rwStruct);
    char got[4];
    f.ReadExact(got, 4);
    EXPECT_EQ(std::string(got, 4), "abcd");
}

TEST(SectionCursor, FindFailsAtTheEndOfTheBytesAndOnSizesPast4GiB)
{
    const std::string shortBytes = RwSection(rwExtension, "x") + "12345678";  // a partial header after it
    TSectionCursor f(AsBytes(shortBytes), "/x/short");
    try {
        f.Find(rwTextureDictionary);
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
        EXPECT_EQ(e.Path, "/x/short");
    }
    // A size that would wrap the position raises the same error instead of
    // walking back onto the header just read.
    // 0xFFFFFFF4 is the size whose 12 + size is 2^32: a 32-bit position
    // would come back to 0, onto the same header, for ever.
    for (const uint32_t size : {0xFFFFFFF4u, 0xFFFFFFF8u}) {
        const std::string huge = RwSection(rwExtension, "", RwVersionSA, size) + RwSection(rwTextureDictionary, "");
        TSectionCursor g(AsBytes(huge));
        EXPECT_THROW(g.Find(rwTextureDictionary), EInOutError) << size;
        EXPECT_FALSE(g.StartsWithin(0, huge.size(), rwTextureDictionary)) << size;
        uint64_t pos = 0;
        TSection s;
        EXPECT_THROW(g.Next(pos, huge.size(), s), EInOutError) << size;
    }
}
