// Symbolic links planted where entries are extracted into a folder, shared by
// the command line's and the window's tests: whatever a link names is never
// written, and the entries without a link on their way are.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

namespace link_cases {

struct TLinkCase {
    const char* what;
    const char* link;    // planted at this path below the case's folder...
    const char* target;  // ...naming this
    const char* folder;  // the folder extracted into, as the user gives it
    bool inTheWay;       // whether "a\b.txt" is refused for the link
};

inline const TLinkCase kCases[] = {
    {"final name, a file", "out/readme.txt", "../victim.txt", "out", false},
    {"final name, a folder", "out/readme.txt", "../vdir", "out", false},
    {"final name, dangling", "out/readme.txt", "../nothing", "out", false},
    {"a folder on the way", "out/a", "../vdir", "out", true},
    {"a folder back to the folder itself", "out/a", ".", "out", true},
    {"the folder itself, as given", "given", "out", "given", false},
};

// Entry i holds 2048 bytes of 'A' + i; "..\up.txt" is refused by the path guard.
inline std::string Data(int i) { return std::string(2048, char('A' + i)); }
const char* const kVictim = "the link's own file\n";
const char* const kFolderFile = "a file of the linked folder\n";
const char* const kGuard = "Not extracted, the name leads outside the chosen folder: \"..\\up.txt\"";

// The archive a.img/a.dir, out/a, victim.txt and vdir/b.txt, and the link.
inline void Plant(const std::string& root, const TLinkCase& c)
{
    namespace fs = std::filesystem;
    fs::create_directories(root + "/out");
    if (std::string(c.link) != "out/a") fs::create_directories(root + "/out/a");
    fs::create_directories(root + "/vdir");
    WriteBytes(root + "/a.img", Data(0) + Data(1) + Data(2) + Data(3));
    WriteBytes(root + "/a.dir", ImgDirBytes({{0, 1, "readme.txt"}, {1, 1, "a\\b.txt"}, {2, 1, "..\\up.txt"}, {3, 1, "c.txt"}}));
    WriteBytes(root + "/victim.txt", kVictim);
    WriteBytes(root + "/vdir/b.txt", kFolderFile);
    fs::create_symlink(c.target, root + "/" + c.link);
}

inline void ExpectNotWrittenThrough(const std::string& root, const TLinkCase& c)
{
    namespace fs = std::filesystem;
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadBytes(root + "/victim.txt"), kVictim);
    EXPECT_EQ(ReadBytes(root + "/vdir/b.txt"), kFolderFile);
    EXPECT_FALSE(fs::exists(root + "/vdir/readme.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root + "/nothing")));
    EXPECT_FALSE(fs::exists(root + "/up.txt"));
    const std::string out = root + "/out/";
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(out + "readme.txt")));
    EXPECT_EQ(ReadBytes(out + "readme.txt"), Data(0));
    EXPECT_EQ(ReadBytes(out + "c.txt"), Data(3));
    EXPECT_FALSE(fs::exists(out + "b.txt"));
    if (c.inTheWay)
        EXPECT_TRUE(fs::is_symlink(out + "a"));
    else
        EXPECT_EQ(ReadBytes(out + "a/b.txt"), Data(1));
}

}  // namespace link_cases
