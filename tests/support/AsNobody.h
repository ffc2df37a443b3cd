// Permissions do not bind the superuser, as whom CI runs the tests: these run
// a test's checks as the unprivileged user nobody instead, so that a
// write-protected file is write-protected for them.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

constexpr uid_t NobodyId = 65534;

// Lets others into `folder` (mode 0777: they read its files and make new
// ones). Then, as the superuser, runs `checks` in a forked child that has
// become nobody, groups included, and fails the test when they fail there;
// as anyone else runs them here, where permissions hold already.
void RunAsNobody(const std::string& folder, const std::function<void()>& checks);

// For checks that cannot leave this process (the window, which holds its
// display connection): while it lives, the superuser acts as nobody, its
// effective user and groups, which decide what it may open. Others stay as
// they are.
class TActingAsNobody {
public:
    explicit TActingAsNobody(const std::string& folder);
    ~TActingAsNobody();
    TActingAsNobody(const TActingAsNobody&) = delete;
    TActingAsNobody& operator=(const TActingAsNobody&) = delete;

private:
    void GiveBack();
    bool switched_ = false;
    gid_t group_ = 0;            // the superuser's group and groups,
    std::vector<gid_t> groups_;  // given back at the end
};
