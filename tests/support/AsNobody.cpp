#include "support/AsNobody.h"

#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

// True when the checks are to run as nobody rather than as they are.
bool AsSuperuser(const std::string& folder)
{
    EXPECT_EQ(::chmod(folder.c_str(), 0777), 0) << folder;
    return ::geteuid() == 0;
}

void RunChecks(const std::function<void()>& checks)
{
    try {
        checks();
    } catch (...) {
        ADD_FAILURE() << "the checks run as nobody raised";
    }
}

}  // namespace

void RunAsNobody(const std::string& folder, const std::function<void()>& checks)
{
    if (!AsSuperuser(folder)) return checks();
    std::fflush(nullptr);  // nothing buffered is printed twice
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t group = kNobody;
        if (::setgroups(1, &group) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(125);
        RunChecks(checks);
        std::fflush(nullptr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);  // never on to the rest of the suite
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the checks run as nobody failed, status " << status;
}

void ActAsNobody(const std::string& folder, const std::function<void()>& checks)
{
    if (!AsSuperuser(folder)) return checks();
    const gid_t group = ::getegid(), nobody = kNobody;
    std::vector<gid_t> groups(size_t(::getgroups(0, nullptr)));
    ASSERT_EQ(::getgroups(int(groups.size()), groups.data()), int(groups.size()));
    // Groups first, while the rights to change them are still there.
    const bool acting = ::setgroups(1, &nobody) == 0 && ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    EXPECT_TRUE(acting) << "could not act as nobody";
    if (acting) RunChecks(checks);
    // No test may go on as nobody.
    if (::seteuid(0) != 0 || ::setegid(group) != 0 || ::setgroups(groups.size(), groups.data()) != 0) std::abort();
}
