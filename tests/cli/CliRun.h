// Runs korvane-cli as a separate process and collects what it printed.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/ArchiveWriters.h"
#include "support/TempDir.h"

struct TCliRun {
    int code;
    std::string out;
    std::string err;
};

// `prefix` is shell text put before the program (variables, ulimit, setpriv);
// `program` another copy of korvane-cli.
inline TCliRun RunCli(const std::string& args, const std::string& prefix = "",
                      const std::string& program = KORVANE_CLI)
{
    TempDir scratch;
    const std::string errFile = scratch.File("err");
    const std::string cmd = prefix + " " + program + " " + args + " 2>" + errFile;
    FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, ReadBytes(errFile)};
}

// The suites' short names for the same.
using TRun = TCliRun;
inline TRun Cli(const std::string& args, const std::string& prefix = "") { return RunCli(args, prefix); }

inline std::string ShellQuote(const std::string& s) { return "'" + s + "'"; }
inline std::string Quote(const std::string& s) { return ShellQuote(s); }
