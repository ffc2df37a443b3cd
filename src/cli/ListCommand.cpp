#include "cli/ListCommand.h"

#include "cli/CliSource.h"
#include "cli/CliUsage.h"

#include <algorithm>

#include "archive/ArchiveOpen.h"
#include "cli/RowPrinter.h"
#include "listview/RowSearch.h"
#include "listview/RowSort.h"

using namespace korvane;

namespace {

struct TListOptions {
    std::string archive;
    std::vector<int> sorts;
    std::string format = "text";
    bool filter = false;
    std::string filterText;
    bool wholeWord = false;
    bool matchCase = false;
};

TListOptions ParseListOptions(const std::vector<std::string>& args)
{
    TListOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a value");
            return args[++i];
        };
        if (a == "--sort") {
            const std::string& v = value();
            if (v.size() != 1 || v[0] < '0' || v[0] > '3') throw UsageError("--sort takes a column 0..3, not '" + v + "'");
            o.sorts.push_back(v[0] - '0');
        } else if (a == "--format") {
            o.format = value();
            if (o.format != "text" && o.format != "tsv" && o.format != "json")
                throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
        } else if (a == "--filter") {
            o.filter = true;
            o.filterText = value();
        } else if (a == "--whole-word") {
            o.wholeWord = true;
        } else if (a == "--match-case") {
            o.matchCase = true;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (o.archive.empty()) {
            o.archive = a;
        } else {
            throw UsageError("only one archive can be listed");
        }
    }
    if (o.archive.empty()) throw UsageError("no archive given");
    if ((o.wholeWord || o.matchCase) && !o.filter) throw UsageError("--whole-word and --match-case go with --filter");
    return o;
}

}  // namespace


void ListUsage(std::ostream& out)
{
    out << "usage: korvane-cli list ARCHIVE [--filter TEXT [--whole-word] [--match-case]] [--sort COL]...\n"
           "                        [--format text|tsv|json]\n"
           "  Prints the archive's entries as the window lists them: number, name,\n"
           "  address and size. Each --sort COL (0 number, 1 name, 2 address, 3 size)\n"
           "  is one click on that column's header, applied in order; a second click\n"
           "  on the same column reverses the rows.\n"
           "  --format tsv prints the four cell texts of each row separated by tabs.\n"
           "  --filter TEXT keeps the rows that \"Показать результаты\" would leave: the\n"
           "  entries whose names match the mask *TEXT* (TEXT alone with --whole-word),\n"
           "  in catalogue order, a-z and A-Z alike and other letters too unless\n"
           "  --match-case is given. The filter comes first, then the --sort clicks.\n";
}

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TListOptions o;
    if (auto code = ParseVerb("list", args, out, err, ListUsage, [&] { return ParseListOptions(args); }, o)) return *code;

    const Catalogue cat = OpenCatalogue(o.archive);
    TRowOrder order = OpenedRowOrder(cat.Entries.size());
    uint32_t rows = uint32_t(cat.Entries.size());
    if (o.filter) rows = FilterRows(cat, order, TNameMatcher(BuildSearchMask(o.filterText, o.wholeWord, o.matchCase)));
    int marked = -1;
    for (int col : o.sorts)
        if (SortByColumn(cat, order, rows, col) == TSortOutcome::soSorted) marked = col;

    std::vector<uint32_t> shown(rows);
    for (uint32_t r = 0; r < rows; ++r) shown[r] = r;
    PrintRows(cat, order, shown, marked, o.format, out);
    return 0;
}
