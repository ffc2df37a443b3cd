// The archive lock between two holders in one process (separate opens of the
// file conflict as two programs' would).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "archive/ArchiveLock.h"
#include "support/TempDir.h"

using namespace korvane;
using std::chrono::milliseconds;

namespace {

bool Busy(const std::string& path, TLockMode mode)
{
    try {
        TArchiveLock::Acquire(path, mode, {milliseconds(0), {}});
        return false;
    } catch (const EArchiveBusy& e) {
        EXPECT_EQ(e.Path, path);
        EXPECT_STREQ(e.what(), "busy: another program is changing it");
        return true;
    }
}

}  // namespace

TEST(ArchiveLock, ReadersShareAChangeHasTheArchiveAlone)
{
    TempDir dir;
    const std::string a = dir.File("a.img");
    WriteBytes(a, "VER2");
    constexpr TLockMode S = TLockMode::lmShared, X = TLockMode::lmExclusive;
    const struct {
        TLockMode held, asked;
        bool busy;
    } cases[] = {{S, S, false}, {S, X, true}, {X, S, true}, {X, X, true}};
    for (const auto& c : cases) {
        TArchiveLock held = TArchiveLock::Acquire(a, c.held);
        EXPECT_TRUE(held.Held());
        EXPECT_EQ(Busy(a, c.asked), c.busy) << int(c.held) << int(c.asked);
        held.Release();
        EXPECT_FALSE(Busy(a, c.asked));  // let go with its holder
    }
}

// A repack renames a new archive over the old one while it holds the old
// one's lock: the waiter then locks the new file, not the old one.
TEST(ArchiveLock, AWaiterFollowsARenameToTheNewFile)
{
    TempDir dir;
    const std::string a = dir.File("a.img");
    WriteBytes(a, "old");
    TArchiveLock repack = TArchiveLock::Acquire(a, TLockMode::lmExclusive);
    std::thread repacker([&] {
        std::this_thread::sleep_for(milliseconds(150));
        WriteBytes(dir.File("a.~new"), "new");
        ASSERT_EQ(std::rename(dir.File("a.~new").c_str(), a.c_str()), 0);
        repack.Release();
    });
    const TArchiveLock got = TArchiveLock::Acquire(a, TLockMode::lmExclusive, {milliseconds(5000), {}});
    repacker.join();
    // The new file is the one held: no one else can have it now.
    EXPECT_TRUE(Busy(a, TLockMode::lmShared));
}
