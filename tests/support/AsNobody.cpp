#include "support/AsNobody.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

void RunAsNobody(const std::string& folder, const std::function<void()>& checks)
{
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0) << folder;
    if (::geteuid() != 0) return checks();
    std::fflush(nullptr);  // nothing buffered is printed twice
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t group = NobodyId;
        if (::setgroups(1, &group) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0) ::_exit(125);
        // The child reports through its exit status only; it must not go
        // on to run the rest of the suite.
        try {
            checks();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception: " << e.what();
        }
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the checks run as nobody failed (above), status " << status;
}

TActingAsNobody::TActingAsNobody(const std::string& folder)
{
    EXPECT_EQ(::chmod(folder.c_str(), 0777), 0) << folder;
    if (::geteuid() != 0) return;
    group_ = ::getegid();
    groups_.resize(size_t(std::max(::getgroups(0, nullptr), 0)));
    groups_.resize(size_t(std::max(::getgroups(int(groups_.size()), groups_.data()), 0)));
    const gid_t nobody = NobodyId;
    // Groups first, while the rights to change them are still there.
    if (::setgroups(1, &nobody) != 0 || ::setegid(NobodyId) != 0 || ::seteuid(NobodyId) != 0) {
        GiveBack();
        ADD_FAILURE() << "could not act as nobody";
        return;
    }
    switched_ = true;
}

TActingAsNobody::~TActingAsNobody()
{
    if (switched_) GiveBack();
}

void TActingAsNobody::GiveBack()
{
    // No test may go on as nobody.
    if (::seteuid(0) != 0 || ::setegid(group_) != 0 || ::setgroups(groups_.size(), groups_.data()) != 0) std::abort();
}
