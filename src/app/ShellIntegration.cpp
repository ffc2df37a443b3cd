#include "app/ShellIntegration.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "base/Errors.h"
#include "base/FileIO.h"

using namespace korvane;

namespace {

std::string DataHome()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

void MakeFolders(const std::string& path)
{
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) RaiseIoErrno(errno);
    }
}

// Quoting of an Exec argument: double quotes, with the four reserved
// characters escaped, and each backslash doubled again for the string level.
std::string QuoteExecArgument(const std::string& arg)
{
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$') out += "\\\\";
        if (c == '\\') out += "\\\\\\";
        if (c == '%') {
            out += "%%";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string ShellIntegrationEntryPath() { return DataHome() + "/applications/korvane-open-img.desktop"; }

std::string ShellIntegrationEntryText(const std::string& executable)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Открыть в Korvane\n"
           "Exec=" + QuoteExecArgument(executable) + " %f\n"
           "MimeType=application/x-korvane-img;application/x-raw-disk-image;\n"
           "NoDisplay=true\n"
           "Terminal=false\n";
}

void InstallShellIntegration(const std::string& executable)
{
    const std::string path = ShellIntegrationEntryPath();
    MakeFolders(path.substr(0, path.rfind('/')));
    const std::string temp = path + ".tmp";
    const std::string text = ShellIntegrationEntryText(executable);
    {
        TFile file = TFile::Create(temp);
        file.Write(text.data(), text.size());
        file.Close();
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        std::remove(temp.c_str());
        RaiseIoErrno(err);
    }
}

void RemoveShellIntegration() { std::remove(ShellIntegrationEntryPath().c_str()); }
