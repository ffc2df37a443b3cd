// The window's editing commands for scripts: each verb does to the archive
// and its files exactly what the window's command does.
#include "cli/EditCommands.h"

#include "cli/CliSource.h"
#include "cli/CliUsage.h"

#include <algorithm>
#include <stdexcept>

#include "archive/EntryOps.h"
#include "archive/NameCodec.h"
#include "archive/SectorDirectory.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"

using namespace korvane;

namespace {

struct TVerb {
    const char* name;
    const char* usage;
};

constexpr TVerb kExtract = {
    "extract",
    "usage: korvane-cli extract ARCHIVE [INDEX...] [-C DIR]\n"
    "       korvane-cli extract ARCHIVE INDEX --to FILE\n"
    "  Writes entries' data to files, as the window's Extract command does.\n"
    "  Each entry goes to DIR (default \".\") under its name, read as a relative\n"
    "  path with \"\\\" or \"/\" between folders; folders are not created, and a\n"
    "  name that would lead outside DIR is refused. Without INDEX every entry is\n"
    "  extracted. --to FILE writes the one entry to FILE instead.\n"
    "  INDEX is the entry's number as the list's first column shows it.\n"};
constexpr TVerb kAdd = {
    "add",
    "usage: korvane-cli add ARCHIVE FILE...\n"
    "  Appends each file to the archive as a new, last entry named after the\n"
    "  file (in Windows-1251; characters it lacks become \"?\"). A name that is\n"
    "  not stored as it stands (cut to 24 bytes, or with \"?\") is warned about.\n"};
constexpr TVerb kReplace = {
    "replace",
    "usage: korvane-cli replace ARCHIVE INDEX FILE\n"
    "  Gives entry INDEX the file's data and name: in its own sectors when the\n"
    "  file fits there, else the entry moves to the end and becomes the last.\n"};
constexpr TVerb kDelete = {
    "delete",
    "usage: korvane-cli delete ARCHIVE INDEX...\n"
    "  Removes the entries from the directory, the highest index first; their\n"
    "  data stays in the archive as unused space.\n"};
constexpr TVerb kRename = {
    "rename",
    "usage: korvane-cli rename ARCHIVE INDEX NEWNAME\n"
    "  Renames entry INDEX; NEWNAME has at most 24 characters.\n"};

bool WantsHelp(const std::vector<std::string>& args)
{
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

// Splits off "-C DIR" and "--to FILE"; everything else is positional ("--"
// ends the options, for names that start with "-").
struct TArgs {
    std::vector<std::string> positional;
    std::string folder;
    std::string to;
    bool hasFolder = false;
    bool hasTo = false;
};

TArgs ParseArgs(const std::vector<std::string>& args, bool allowExtractOptions)
{
    TArgs o;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && allowExtractOptions && (a == "-C" || a == "--to")) {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
            (a == "-C" ? o.hasFolder : o.hasTo) = true;
            (a == "-C" ? o.folder : o.to) = args[++i];
        } else if (options && a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            o.positional.push_back(a);
        }
    }
    if (o.positional.empty()) throw UsageError("no archive given");
    return o;
}

uint32_t ParseIndex(const std::string& s)
{
    const std::optional<uint32_t> index = ParseEntryIndex(s);
    if (!index) throw UsageError("INDEX must be an entry number, not '" + s + "'");
    return *index;
}

// An index that names no entry: a failure, not a usage error.
std::string NoSuchEntryText(const ops::ENoSuchEntry& e)
{
    return "no entry " + std::to_string(e.Index) + ": the archive has " + std::to_string(e.Count) +
           (e.Count == 1 ? " entry" : " entries");
}

// The directory keeps 24 Windows-1251 bytes of a name: when that is not the
// file's name as it stands, the user is told what was stored.
void WarnStoredName(std::ostream& err, const std::string& file)
{
    const size_t slash = file.rfind('/');
    const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
    const std::string stored = Cp1251ToUtf8(EntryNameFromPath(file).substr(0, DirNameFieldSize));
    if (stored != base) err << "korvane-cli: warning: " << file << " stored as \"" << stored << "\"\n";
}

size_t Utf8Length(const std::string& s)
{
    return size_t(std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

template <class Body>
int RunVerb(const TVerb& verb, const std::vector<std::string>& args, std::ostream& out, std::ostream& err, Body body)
{
    if (WantsHelp(args)) {
        out << verb.usage;
        return 0;
    }
    try {
        body();
    } catch (const UsageError& e) {
        err << "korvane-cli " << verb.name << ": " << e.what() << "\n" << verb.usage;
        return 2;
    } catch (const ops::ENoSuchEntry& e) {
        err << "korvane-cli " << verb.name << ": " << NoSuchEntryText(e) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace

int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunVerb(kExtract, args, out, err, [&] {
        const TArgs o = ParseArgs(args, true);
        if (o.hasFolder && o.hasTo) throw UsageError("-C and --to cannot be used together");
        std::vector<uint32_t> indices;
        for (size_t i = 1; i < o.positional.size(); ++i) indices.push_back(ParseIndex(o.positional[i]));
        if (o.hasTo && indices.size() != 1) throw UsageError("--to takes exactly one INDEX");
        const Catalogue cat = ops::OpenForReading(o.positional[0]);
        if (indices.empty())
            for (uint32_t i = 0; i < cat.Entries.size(); ++i) indices.push_back(i);
        if (o.hasTo)
            ops::Extract(cat, indices[0], o.to);
        else
            ops::ExtractInto(cat, indices, o.hasFolder ? o.folder : std::string("."));
    });
}

int AddCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunVerb(kAdd, args, out, err, [&] {
        const TArgs o = ParseArgs(args, false);
        if (o.positional.size() < 2) throw UsageError("no file to add");
        Catalogue cat = ops::OpenForChanging(o.positional[0]);
        TEntryChanges changes;
        for (size_t i = 1; i < o.positional.size(); ++i) {
            ops::Add(cat, o.positional[i], changes);
            WarnStoredName(err, o.positional[i]);
        }
    });
}

int ReplaceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunVerb(kReplace, args, out, err, [&] {
        const TArgs o = ParseArgs(args, false);
        if (o.positional.size() != 3) throw UsageError("replace takes ARCHIVE INDEX FILE");
        const uint32_t index = ParseIndex(o.positional[1]);
        Catalogue cat = ops::OpenForChanging(o.positional[0]);
        TEntryChanges changes;
        ops::Replace(cat, index, o.positional[2], changes);
        WarnStoredName(err, o.positional[2]);
    });
}

int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunVerb(kDelete, args, out, err, [&] {
        const TArgs o = ParseArgs(args, false);
        if (o.positional.size() < 2) throw UsageError("no INDEX given");
        std::vector<uint32_t> indices;
        for (size_t i = 1; i < o.positional.size(); ++i) indices.push_back(ParseIndex(o.positional[i]));
        Catalogue cat = ops::OpenForChanging(o.positional[0]);
        // As rows are selected once each, an index given twice is removed once.
        TEntryChanges changes;
        ops::Delete(cat, indices, changes);
    });
}

int RenameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return RunVerb(kRename, args, out, err, [&] {
        const TArgs o = ParseArgs(args, false);
        if (o.positional.size() != 3) throw UsageError("rename takes ARCHIVE INDEX NEWNAME");
        const uint32_t index = ParseIndex(o.positional[1]);
        const std::string& name = o.positional[2];
        if (Utf8Length(name) > 24) throw UsageError("NEWNAME has more than 24 characters");
        Catalogue cat = ops::OpenForChanging(o.positional[0]);
        TEntryChanges changes;
        ops::Rename(cat, index, Utf8ToCp1251(name), changes);
    });
}
