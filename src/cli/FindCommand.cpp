#include "cli/FindCommand.h"

#include "cli/CliSource.h"
#include "cli/CliUsage.h"

#include <algorithm>
#include <stdexcept>

#include "cli/ListCommand.h"
#include "cli/RowPrinter.h"
#include "listview/RowSearch.h"

using namespace korvane;

namespace {

struct TFindOptions {
    std::vector<std::string> operands;  // ARCHIVE TEXT
    bool wholeWord = false;
    bool matchCase = false;
    std::string format = "text";
};

TFindOptions ParseFindOptions(const std::vector<std::string>& args)
{
    TFindOptions o;
    bool operandsOnly = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (operandsOnly || a.size() < 2 || a[0] != '-') {
            o.operands.push_back(a);
        } else if (a == "--") {
            operandsOnly = true;  // a TEXT that begins with "-" follows
        } else if (a == "--whole-word") {
            o.wholeWord = true;
        } else if (a == "--match-case") {
            o.matchCase = true;
        } else if (a == "--format") {
            if (i + 1 >= args.size()) throw UsageError("option --format needs a value");
            o.format = args[++i];
            if (o.format != "text" && o.format != "tsv" && o.format != "json")
                throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
        } else {
            throw UsageError("unknown option " + a);
        }
    }
    if (o.operands.size() != 2) throw UsageError("an archive and a text are needed");
    return o;
}

}  // namespace

void FindUsage(std::ostream& out)
{
    out << "usage: korvane-cli find ARCHIVE TEXT [--whole-word] [--match-case] [--format text|tsv|json]\n"
           "  Prints the rows that \"Найти все\" selects, as list prints rows: the entries\n"
           "  whose names match the mask *TEXT* (TEXT alone with --whole-word), in\n"
           "  catalogue order. In the mask * is any run of characters, ? any one\n"
           "  character, [abc], [a-c] and [!a-c] one character in or not in a set.\n"
           "  a-z and A-Z always compare alike, other letters too unless --match-case\n"
           "  is given. Put -- before a TEXT that begins with \"-\".\n"
           "  Exits 1 with \"Данная строка не найдена.\" when nothing matches.\n";
}

int FindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TFindOptions o;
    if (auto code = ParseVerb("find", args, out, err, FindUsage, [&] { return ParseFindOptions(args); }, o)) return *code;

    const Catalogue cat = OpenCatalogue(o.operands[0]);
    const TRowOrder order = OpenedRowOrder(cat.Entries.size());
    const TNameMatcher matcher(BuildSearchMask(o.operands[1], o.wholeWord, o.matchCase));
    const std::vector<uint32_t> rows = FindAllRows(cat, order, uint32_t(cat.Entries.size()), matcher);
    if (rows.empty()) throw std::runtime_error("Данная строка не найдена.");
    PrintRows(cat, order, rows, -1, o.format, out);
    return 0;
}
