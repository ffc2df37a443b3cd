// Copying entries out of the archive, and the names their copies get.
#include <cstdio>
#include <optional>
#include <unistd.h>

#include "archive/EntryOps.h"
#include "archive/FileReplace.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "base/NameCodec.h"

namespace korvane {

namespace {

// Copies the entry into the file `create` makes at `path`.
template <class TCreate>
void CopyEntry(const Catalogue& cat, uint32_t index, const std::string& path, TCreate create)
{
    const TArchiveEntry& e = cat.Entries[index];
    TFile arc = TFile::OpenReadOnly(cat.ArchivePath);
    // Truncating (or removing) the target would destroy the archive or its
    // directory before a byte of the entry is read.
    if (SameFile(path, cat.ArchivePath) || (cat.ArchiveKind == akImg && SameFile(path, cat.DirPath)))
        throw EEntryError("An entry cannot be extracted over its own archive: " + path);
    TFile out = create();
    arc.Seek(EntryBytePos(cat.ArchiveKind, e));
    CopyFileData(arc, out, EntryByteLen(cat.ArchiveKind, e));
    out.Close();
    arc.Close();
}

}  // namespace

void ExtractEntry(const Catalogue& cat, uint32_t index, const std::string& path)
{
    CopyEntry(cat, index, path, [&path] { return TFile::Create(path); });
}

std::string ExtractEntryForOpen(const Catalogue& cat, uint32_t index, const std::string& tempDir)
{
    // The temporary folder is shared and the copy's name is predictable: it
    // goes into a folder of the user's own.
    TPrivateFolder folder(tempDir, "korvane-" + std::to_string(::geteuid()));
    const std::string name = OpenTempName(cat.Entries[index]);
    const std::string path = folder.Path() + "/" + name;
    CopyEntry(cat, index, path, [&] { return folder.CreateFresh(name); });
    return path;
}

std::string RelativeEntryPath(std::string_view name, bool& safe)
{
    std::string path = Cp1251ToUtf8(name);
    for (char& c : path)
        if (c == '\\') c = '/';
    const bool absolute = !path.empty() && path[0] == '/';
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    bool parent = false;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (path.compare(start, end - start, "..") == 0) parent = true;
        start = end + 1;
    }
    safe = !absolute && !drive && !parent;
    return safe ? path : std::string();
}

void ExtractEntriesInto(const Catalogue& cat, const std::vector<uint32_t>& indices, const std::string& folder)
{
    std::string refused;
    std::optional<ELinkInTheWay> link;
    for (uint32_t index : indices) {
        const std::string_view name = EntryName(cat.Entries[index]);
        bool safe = false;
        const std::string relative = RelativeEntryPath(name, safe);
        if (!safe) {
            refused += (refused.empty() ? "\"" : ", \"") + Cp1251ToUtf8(name) + "\"";
            continue;
        }
        // Like the names refused above, a link on the way keeps only its own
        // entry back; the first one found is reported.
        try {
            CopyEntry(cat, index, folder + "/" + relative, [&] { return CreateBelowFolder(folder, relative); });
        } catch (const ELinkInTheWay& e) {
            if (!link) link = e;
        }
    }
    if (link) throw *link;
    if (!refused.empty())
        throw EEntryError("Not extracted, the name leads outside the chosen folder: " + refused);
}

std::string FilterExtension(std::string_view name)
{
    std::string ext = FileNameExtension(name);
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return Cp1251ToUtf8(ext);
}

std::string OpenTempName(const TArchiveEntry& e)
{
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(uint32_t(e.Offset * SectorSize)));
    return "img" + std::string(hex) + Cp1251ToUtf8(FileNameExtension(EntryName(e)));
}

}  // namespace korvane
