// The window's editing commands for scripts: each verb does to the archive
// and its files exactly what the window's command does.
#include "cli/EditCommands.h"

#include <algorithm>

#include "archive/EntryOps.h"
#include "archive/SectorDirectory.h"
#include "base/NameCodec.h"
#include "cli/CliError.h"
#include "cli/CliOptions.h"
#include "cli/JsonText.h"
#include "ops/ArchiveOps.h"
#include "ops/OpErrors.h"

using namespace korvane;

namespace {

struct TUsage {
    const char* name;
    const char* usage;
};

constexpr TUsage kExtract = {
    "extract",
    "usage: korvane-cli extract ARCHIVE [INDEX...] [-C DIR]\n"
    "       korvane-cli extract ARCHIVE INDEX --to FILE\n"
    "  Writes entries' data to files, as the window's Extract command does.\n"
    "  Each entry goes to DIR (default \".\") under its name, read as a relative\n"
    "  path with \"\\\" or \"/\" between folders; folders are not created, and a\n"
    "  name that would lead outside DIR is refused. Without INDEX every entry is\n"
    "  extracted. --to FILE writes the one entry to FILE instead.\n"
    "  INDEX is the entry's number as the list's first column shows it.\n"};
constexpr TUsage kAdd = {
    "add",
    "usage: korvane-cli add ARCHIVE FILE...\n"
    "  Appends each file to the archive as a new, last entry named after the\n"
    "  file (in Windows-1251; characters it lacks become \"?\"). A name that is\n"
    "  not stored as it stands (cut to 24 bytes, or with \"?\") is warned about.\n"};
constexpr TUsage kReplace = {
    "replace",
    "usage: korvane-cli replace ARCHIVE INDEX FILE\n"
    "  Gives entry INDEX the file's data and name: in its own sectors when the\n"
    "  file fits there, else the entry moves to the end and becomes the last.\n"};
constexpr TUsage kDelete = {
    "delete",
    "usage: korvane-cli delete ARCHIVE INDEX...\n"
    "  Removes the entries from the directory, the highest index first; their\n"
    "  data stays in the archive as unused space.\n"};
constexpr TUsage kRename = {
    "rename",
    "usage: korvane-cli rename ARCHIVE INDEX NEWNAME\n"
    "  Renames entry INDEX; NEWNAME has at most 24 characters.\n"};

constexpr TUsage kImport = {
    "import",
    "usage: korvane-cli import ARCHIVE FILE|DIR... [--dry-run] [--cut-names] [--format text|tsv|json]\n"
    "  Imports the files as one change, all of it or nothing, also across a power\n"
    "  cut. Each FILE, and each file of a DIR (not its subfolders, in byte order\n"
    "  of their names), replaces the entry of its name, a-z and A-Z alike (the\n"
    "  first such entry when several have it, with a warning), or is added as a\n"
    "  new, last entry. A replaced entry takes the file's data and name as\n"
    "  replace gives them: in its own sectors when the file fits there, else it\n"
    "  moves to the end, the entries after it one number lower.\n"
    "  Prints one line per file, \"replaced N NAME\" or \"added N NAME\", N being\n"
    "  the entry's number after the import, then \"total: replaced R, added A\".\n"
    "  --format tsv prints the lines with tabs and no total; --format json an\n"
    "  array of {\"action\", \"index\", \"name\", \"file\"}. --dry-run prints the\n"
    "  same and writes nothing.\n"
    "  A name the directory cannot hold (over 24 bytes in Windows-1251, or\n"
    "  characters it lacks) is refused before anything is written, unless\n"
    "  --cut-names is given: then it is stored as add stores it, with a warning.\n"
    "  Two files of one name are refused too.\n"};

// ARCHIVE and the operands after it, "-C DIR" and "--to FILE" for extract
// ("--" ends the options, for names that start with "-").
struct TArgs {
    std::vector<std::string> positional;
    std::string folder;
    std::string to;
    bool hasFolder = false;
    bool hasTo = false;
    TLockWait wait;
};

// `check` runs after the archive is known to be given.
TCliVerb EditVerb(const TUsage& u, TArgs& o, std::function<void()> check, bool extractOptions = false)
{
    TCliVerb verb{u.name, u.usage, {}, [&o](const std::string& a) { o.positional.push_back(a); },
                  [&o, check] {
                      if (o.positional.empty()) throw UsageError("no archive given");
                      check();
                  }};
    if (extractOptions)
        verb.Options = {{{"-C"}, "value",
                         [&o](TOptionValues& v) {
                             o.hasFolder = true;
                             o.folder = v.Next();
                         }},
                        {{"--to"}, "value", [&o](TOptionValues& v) {
                             o.hasTo = true;
                             o.to = v.Next();
                         }}};
    verb.DashDashEndsOptions = true;
    verb.Help = THelpRule::hrBeforeOperands;
    verb.Wait = &o.wait;
    return verb;
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

// The verb's command line read with its table, then the work; an index that
// names no entry is a failure, not a usage error.
template <class Body>
int RunVerb(const TCliVerb& verb, const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            Body body)
{
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;
    try {
        body();
    } catch (const ops::ENoSuchEntry& e) {
        err << "korvane-cli " << verb.Name << ": no entry " << e.Index << ": the archive has " << e.Count
            << (e.Count == 1 ? " entry" : " entries") << "\n";
        return 1;
    }
    return 0;
}

std::vector<uint32_t> IndicesFrom(const std::vector<std::string>& positional)
{
    std::vector<uint32_t> indices;
    for (size_t i = 1; i < positional.size(); ++i) indices.push_back(ParseIndexOperand(positional[i]));
    return indices;
}

}  // namespace

int ExtractCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TArgs o;
    std::vector<uint32_t> indices;
    auto check = [&] {
        if (o.hasFolder && o.hasTo) throw UsageError("-C and --to cannot be used together");
        indices = IndicesFrom(o.positional);
        if (o.hasTo && indices.size() != 1) throw UsageError("--to takes exactly one INDEX");
    };
    return RunVerb(EditVerb(kExtract, o, check, true), args, out, err, [&] {
        // Held while the data is read, so that it is this directory's data.
        const ops::TLockedCatalogue held = ops::OpenForReadingHeld(o.positional[0], o.wait);
        const Catalogue& cat = held.Cat;
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
    TArgs o;
    auto check = [&] {
        if (o.positional.size() < 2) throw UsageError("no file to add");
    };
    return RunVerb(EditVerb(kAdd, o, check), args, out, err, [&] {
        ops::TLockedCatalogue held = ops::OpenForChanging(o.positional[0], o.wait);
        Catalogue& cat = held.Cat;
        TEntryChanges changes;
        // One change: every file is added, or none.
        const std::vector<std::string> files(o.positional.begin() + 1, o.positional.end());
        ops::Add(held, files, changes);
        for (const std::string& file : files) WarnStoredName(err, file);
    });
}

int ReplaceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TArgs o;
    uint32_t index = 0;
    auto check = [&] {
        if (o.positional.size() != 3) throw UsageError("replace takes ARCHIVE INDEX FILE");
        index = ParseIndexOperand(o.positional[1]);
    };
    return RunVerb(EditVerb(kReplace, o, check), args, out, err, [&] {
        ops::TLockedCatalogue held = ops::OpenForChanging(o.positional[0], o.wait);
        Catalogue& cat = held.Cat;
        TEntryChanges changes;
        ops::Replace(held, index, o.positional[2], changes);
        WarnStoredName(err, o.positional[2]);
    });
}

int DeleteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TArgs o;
    std::vector<uint32_t> indices;
    auto check = [&] {
        if (o.positional.size() < 2) throw UsageError("no INDEX given");
        indices = IndicesFrom(o.positional);
    };
    return RunVerb(EditVerb(kDelete, o, check), args, out, err, [&] {
        ops::TLockedCatalogue held = ops::OpenForChanging(o.positional[0], o.wait);
        Catalogue& cat = held.Cat;
        // As rows are selected once each, an index given twice is removed once.
        TEntryChanges changes;
        ops::Delete(held, indices, changes);
    });
}

int RenameCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TArgs o;
    uint32_t index = 0;
    auto check = [&] {
        if (o.positional.size() != 3) throw UsageError("rename takes ARCHIVE INDEX NEWNAME");
        index = ParseIndexOperand(o.positional[1]);
        if (Utf8Length(o.positional[2]) > 24) throw UsageError("NEWNAME has more than 24 characters");
    };
    return RunVerb(EditVerb(kRename, o, check), args, out, err, [&] {
        ops::TLockedCatalogue held = ops::OpenForChanging(o.positional[0], o.wait);
        Catalogue& cat = held.Cat;
        TEntryChanges changes;
        ops::Rename(held, index, Utf8ToCp1251(o.positional[2]), changes);
    });
}

int ImportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TArgs o;
    bool dryRun = false, cutNames = false;
    std::string format = "text";
    auto check = [&] {
        if (o.positional.size() < 2) throw UsageError("no file or folder to import");
    };
    TCliVerb verb = EditVerb(kImport, o, check);
    verb.Options = {{{"--dry-run"}, "value", [&](TOptionValues&) { dryRun = true; }},
                    {{"--cut-names"}, "value", [&](TOptionValues&) { cutNames = true; }},
                    {{"--format"}, "value", [&](TOptionValues& v) {
                         format = v.Next();
                         if (format != "text" && format != "tsv" && format != "json")
                             throw UsageError("--format takes text, tsv or json, not '" + format + "'");
                     }}};
    return RunVerb(verb, args, out, err, [&] {
        const std::vector<std::string> files =
            ops::ImportFiles(std::vector<std::string>(o.positional.begin() + 1, o.positional.end()));
        std::vector<ops::TImportStep> plan;
        try {
            if (dryRun) {
                plan = ops::PlanImport(ops::OpenForReading(o.positional[0], o.wait), files, cutNames);
            } else {
                // One lock from the reading of the directory to the change.
                ops::TLockedCatalogue held = ops::OpenForChanging(o.positional[0], o.wait);
                plan = ops::PlanImport(held.Cat, files, cutNames);
                TEntryChanges changes;
                ops::Import(held, plan, changes);
            }
        } catch (const ops::ENameDoesNotFit& e) {
            throw ECliFileError(e.Path, "the name does not fit the archive's directory (at most 24 bytes, characters "
                                        "of Windows-1251 only); nothing was written; --cut-names stores it cut");
        }
        for (const ops::TImportStep& step : plan) {
            if (step.NameCut) WarnStoredName(err, step.File);
            if (step.SameNamed > 1)
                err << "korvane-cli: warning: " << step.File << " replaces the first of " << step.SameNamed
                    << " entries named \"" << Cp1251ToUtf8(step.Name) << "\" (a-z and A-Z alike)\n";
        }
        size_t replaced = 0;
        if (format == "json") out << "[";
        for (size_t i = 0; i < plan.size(); ++i) {
            const ops::TImportStep& step = plan[i];
            const char* action = step.Replaces ? "replaced" : "added";
            const std::string name = Cp1251ToUtf8(step.Name);
            replaced += step.Replaces;
            if (format == "json")
                out << (i ? ",\n " : "\n ") << "{\"action\": " << JsonText(action) << ", \"index\": " << step.Entry
                    << ", \"name\": " << JsonText(name) << ", \"file\": " << JsonText(step.File) << "}";
            else if (format == "tsv")
                out << action << '\t' << step.Entry << '\t' << name << '\n';
            else
                out << action << ' ' << step.Entry << ' ' << name << '\n';
        }
        if (format == "json") out << (plan.empty() ? "]\n" : "\n]\n");
        if (format == "text") out << "total: replaced " << replaced << ", added " << plan.size() - replaced << "\n";
        out.flush();
    });
}
