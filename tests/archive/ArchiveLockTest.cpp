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

TLockWait NoWait()
{
    TLockWait w;
    w.Limit = milliseconds(0);
    return w;
}

bool Busy(const std::string& path, TLockMode mode)
{
    try {
        TArchiveLock::Acquire(path, mode, NoWait());
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
    const struct {
        TLockMode held, asked;
        bool busy;
    } cases[] = {
        {TLockMode::lmShared, TLockMode::lmShared, false},
        {TLockMode::lmShared, TLockMode::lmExclusive, true},
        {TLockMode::lmExclusive, TLockMode::lmShared, true},
        {TLockMode::lmExclusive, TLockMode::lmExclusive, true},
    };
    for (const auto& c : cases) {
        TArchiveLock held = TArchiveLock::Acquire(a, c.held);
        EXPECT_TRUE(held.Held());
        EXPECT_EQ(Busy(a, c.asked), c.busy) << int(c.held) << int(c.asked);
        held.Release();
        EXPECT_FALSE(Busy(a, c.asked));  // let go with its holder
    }
    EXPECT_THROW(TArchiveLock::Acquire(dir.File("none.img"), TLockMode::lmShared), EInOutError);
}

// A waiter is told it waits, gets the archive the moment its holder lets go,
// and gives up when its time is over.
TEST(ArchiveLock, AWaiterGetsTheArchiveWhenFreeOrGivesUpInTime)
{
    TempDir dir;
    const std::string a = dir.File("a.img");
    WriteBytes(a, "data");
    TArchiveLock held = TArchiveLock::Acquire(a, TLockMode::lmExclusive);
    int told = 0;
    std::string toldPath;
    TLockWait wait;
    wait.Limit = milliseconds(300);
    wait.Waiting = [&](const std::string& path, milliseconds) {
        ++told;
        toldPath = path;
    };
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_THROW(TArchiveLock::Acquire(a, TLockMode::lmShared, wait), EArchiveBusy);
    const double gaveUp = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(gaveUp, 0.29);
    EXPECT_LT(gaveUp, 0.8);
    EXPECT_GE(told, 3);  // about every 50 ms
    EXPECT_EQ(toldPath, a);

    std::thread letGo([&held] {
        std::this_thread::sleep_for(milliseconds(200));
        held.Release();
    });
    wait.Limit = milliseconds(5000);
    t0 = std::chrono::steady_clock::now();
    const TArchiveLock got = TArchiveLock::Acquire(a, TLockMode::lmExclusive, wait);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    letGo.join();
    EXPECT_TRUE(got.Held());
    EXPECT_GE(waited, 0.19);
    EXPECT_LT(waited, 1.0);
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
    TLockWait wait;
    wait.Limit = milliseconds(5000);
    const TArchiveLock got = TArchiveLock::Acquire(a, TLockMode::lmExclusive, wait);
    repacker.join();
    // The new file is the one held: no one else can have it now.
    EXPECT_TRUE(Busy(a, TLockMode::lmShared));
}
