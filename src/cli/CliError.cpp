#include "cli/CliError.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "archive/ArchiveLock.h"
#include "base/Errors.h"

namespace {

// Only "." steps and doubled slashes are dropped: ".." stays, since taking
// it back over a missing folder or a link would name another file.
std::string ShownPath(const std::string& path)
{
    std::string full = path;
    if (path.empty() || path[0] != '/') {
        std::error_code ec;
        const std::filesystem::path cwd = std::filesystem::current_path(ec);
        if (ec) return path;  // no current folder to start from
        full = cwd.string() + "/" + path;
    }
    std::string shown;
    for (size_t start = 0; start <= full.size();) {
        size_t end = full.find('/', start);
        if (end == std::string::npos) end = full.size();
        const std::string step = full.substr(start, end - start);
        if (!step.empty() && step != ".") shown += "/" + step;
        start = end + 1;
    }
    return shown.empty() ? "/" : shown;
}

}  // namespace

std::string CliErrorLine(const std::exception& e)
{
    std::string line = "korvane-cli: ";
    // Named from the root, as every file in an error is.
    if (const auto* link = dynamic_cast<const korvane::ELinkInTheWay*>(&e))
        return line + ShownPath(link->Path) + ": a symbolic link is in the way";
    if (const auto* busy = dynamic_cast<const korvane::EArchiveBusy*>(&e))
        return line + ShownPath(busy->Path) + ": " + e.what();
    if (const auto* io = dynamic_cast<const korvane::EInOutError*>(&e); io && !io->Path.empty())
        line += ShownPath(io->Path) + ": ";
    else if (const auto* file = dynamic_cast<const ECliFileError*>(&e); file && !file->Path.empty())
        line += ShownPath(file->Path) + ": ";
    return line + e.what();
}

korvane::TLockWait CliLockWait(std::ostream& err)
{
    korvane::TLockWait wait;
    auto told = std::make_shared<bool>(false);
    wait.Waiting = [&err, told](const std::string& path, std::chrono::milliseconds waited) {
        if (*told || waited < std::chrono::seconds(1)) return;
        *told = true;
        err << "korvane-cli: " << ShownPath(path) << ": waiting for another program to finish changing it\n"
            << std::flush;
    };
    return wait;
}
