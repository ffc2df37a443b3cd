#include "cli/ListCommand.h"

#include "cli/CliOptions.h"
#include "cli/RowPrinter.h"
#include "ops/ArchiveOps.h"
#include "ops/ServiceOps.h"

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
    TLockWait wait;
};

constexpr const char* kListUsage =
    "usage: korvane-cli list ARCHIVE [--filter TEXT [--whole-word] [--match-case]] [--sort COL]...\n"
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

TCliVerb ListVerb(TListOptions& o)
{
    return {"list",
            kListUsage,
            {{{"--sort"}, "value",
              [&o](TOptionValues& v) {
                  const std::string& col = v.Next();
                  if (col.size() != 1 || col[0] < '0' || col[0] > '3')
                      throw UsageError("--sort takes a column 0..3, not '" + col + "'");
                  o.sorts.push_back(col[0] - '0');
              }},
             {{"--format"}, "value",
              [&o](TOptionValues& v) {
                  o.format = v.Next();
                  if (o.format != "text" && o.format != "tsv" && o.format != "json")
                      throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
              }},
             {{"--filter"}, "value",
              [&o](TOptionValues& v) {
                  o.filter = true;
                  o.filterText = v.Next();
              }},
             {{"--whole-word"}, "value", [&o](TOptionValues&) { o.wholeWord = true; }},
             {{"--match-case"}, "value", [&o](TOptionValues&) { o.matchCase = true; }}},
            [&o](const std::string& a) {
                if (!o.archive.empty()) throw UsageError("only one archive can be listed");
                o.archive = a;
            },
            [&o] {
                if (o.archive.empty()) throw UsageError("no archive given");
                if ((o.wholeWord || o.matchCase) && !o.filter)
                    throw UsageError("--whole-word and --match-case go with --filter");
            }};
}

}  // namespace

void ListUsage(std::ostream& out) { out << kListUsage; }

int ListCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TListOptions o;
    TCliVerb verb = ListVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    const Catalogue cat = ops::OpenForReading(o.archive, o.wait);
    std::optional<TSearchMask> filter;
    if (o.filter) filter = BuildSearchMask(o.filterText, o.wholeWord, o.matchCase);
    const ops::TListing listing = ops::List(cat, filter, o.sorts);
    std::vector<uint32_t> shown(listing.Rows);
    for (uint32_t r = 0; r < listing.Rows; ++r) shown[r] = r;
    PrintRows(cat, listing.Order, shown, listing.Marked, o.format, out);
    return 0;
}
