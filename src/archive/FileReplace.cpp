#include "archive/FileReplace.h"

#include <algorithm>
#include <cstdlib>

namespace korvane {

std::string RealPath(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string result(real);
    std::free(real);
    return result;
}

std::string WithExtension(const std::string& path, const char* ext)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ext;
    return path.substr(0, dot) + ext;
}

std::string FreeName(std::string name, const std::vector<std::string>& keep)
{
    auto clashes = [&](const std::string& n) {
        return std::any_of(keep.begin(), keep.end(), [&](const std::string& k) { return k == n || SameFile(k, n); });
    };
    while (clashes(name)) name += '~';
    return name;
}

TFile CreateFresh(const std::string& path)
{
    DiscardFile(path);
    return TFile::Create(path);
}

void SyncFolderAfterSwap(const std::string& folder) noexcept
{
    try {
        SyncFolder(folder);
    } catch (...) {
    }
}

void ReplaceFileContents(const std::string& path, const std::string& bytes)
{
    const std::string target = RealPath(path);
    const std::string temp = FreeName(WithExtension(target, ".~new"), {target});
    TFile old = TFile::OpenReadWrite(target);
    const uint32_t mode = old.Mode();
    old.Close();
    try {
        TFile out = CreateFresh(temp);
        out.SetMode(mode);
        out.Write(bytes.data(), bytes.size());
        out.Sync();
        out.Close();
        RenameFile(temp, target);
    } catch (...) {
        DiscardFile(temp);
        throw;
    }
    SyncFolderAfterSwap(FolderOf(target));
}

}  // namespace korvane
