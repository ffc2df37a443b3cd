// Permissions do not bind the superuser, as whom CI runs the tests: these run
// a test's checks as the unprivileged user nobody (65534) instead. Both first
// let others into `folder` (mode 0777: they read its files and make new
// ones); run by anyone else, they run the checks as they are.
#pragma once

#include <functional>
#include <string>

// In a forked child that has become nobody, groups included; a failure there
// fails the test.
void RunAsNobody(const std::string& folder, const std::function<void()>& checks);

// For checks that cannot leave this process (the window, which holds its
// display connection): here, with nobody's effective user and groups, which
// decide what may be opened; the superuser's are taken back afterwards.
void ActAsNobody(const std::string& folder, const std::function<void()>& checks);
