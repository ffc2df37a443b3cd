// Symbolic links planted where entries are extracted into a folder, for the
// command line's, the window's and the fault suite's tests alike.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

namespace link_cases {
namespace fs = std::filesystem;

// The link `link` -> `target` below the case's root; entries go into `folder`.
struct TLinkCase {
    const char *link, *target, *folder;
    bool inTheWay;  // "a\b" is refused for the link
};
inline const TLinkCase kCases[] = {
    {"out/r.txt", "../victim", "out", false}, {"out/r.txt", "../vdir", "out", false},
    {"out/r.txt", "../none", "out", false},   {"out/a", "../vdir", "out", true},
    {"out/a", ".", "out", true},              {"given", "out", "given", false},
};
inline std::string Data(int i) { return std::string(2048, char('A' + i)); }
inline const std::string kGuard = "Not extracted, the name leads outside the chosen folder: \"..\\up\"";

inline void Plant(const std::string& root, const TLinkCase& c)
{
    fs::create_directories(root + (c.link == std::string("out/a") ? "/out" : "/out/a"));
    fs::create_directories(root + "/vdir");
    WriteBytes(root + "/a.img", Data(0) + Data(1) + Data(2) + Data(3));
    WriteBytes(root + "/a.dir", ImgDirBytes({{0, 1, "r.txt"}, {1, 1, "a\\b"}, {2, 1, "..\\up"}, {3, 1, "c"}}));
    WriteBytes(root + "/victim", "victim");
    WriteBytes(root + "/vdir/b", "vdir's own");
    fs::create_symlink(c.target, root + "/" + c.link);
}

// What the link names is as it was, byte for byte; the entries without a link
// on their way are written.
inline void ExpectNotWrittenThrough(const std::string& root, const TLinkCase& c)
{
    SCOPED_TRACE(c.link + std::string(" -> ") + c.target);
    EXPECT_EQ(ReadBytes(root + "/victim") + ReadBytes(root + "/vdir/b"), "victimvdir's own");
    EXPECT_EQ(std::distance(fs::directory_iterator(root + "/vdir"), {}), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(root + "/none")) || fs::exists(root + "/up") || fs::exists(root + "/out/b"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root + "/out/r.txt")));
    EXPECT_EQ(ReadBytes(root + "/out/r.txt") + ReadBytes(root + "/out/c"), Data(0) + Data(3));
    if (!c.inTheWay) EXPECT_EQ(ReadBytes(root + "/out/a/b"), Data(1));
}

}  // namespace link_cases
