#include "cli/CliLanguage.h"
#include "cli/FindCommand.h"

#include <stdexcept>

#include "cli/CliOptions.h"
#include "cli/RowPrinter.h"
#include "listview/RowSearch.h"
#include "ops/ArchiveOps.h"

using namespace korvane;

namespace {

struct TFindOptions {
    std::vector<std::string> operands;  // ARCHIVE TEXT
    bool wholeWord = false;
    bool matchCase = false;
    std::string format = "text";
    TLockWait wait;
};

constexpr const char* kFindUsage =
    "usage: korvane-cli find ARCHIVE TEXT [--whole-word] [--match-case] [--format text|tsv|json]\n"
    "  Prints the rows that \"Найти все\" selects, as list prints rows: the entries\n"
    "  whose names match the mask *TEXT* (TEXT alone with --whole-word), in\n"
    "  catalogue order. In the mask * is any run of characters, ? any one\n"
    "  character, [abc], [a-c] and [!a-c] one character in or not in a set.\n"
    "  a-z and A-Z always compare alike, other letters too unless --match-case\n"
    "  is given. Put -- before a TEXT that begins with \"-\".\n"
    "  Exits 1 with \"Данная строка не найдена.\" when nothing matches.\n";

TCliVerb FindVerb(TFindOptions& o)
{
    TCliVerb verb{"find",
                  kFindUsage,
                  {{{"--whole-word"}, "value", [&o](TOptionValues&) { o.wholeWord = true; }},
                   {{"--match-case"}, "value", [&o](TOptionValues&) { o.matchCase = true; }},
                   {{"--format"}, "value",
                    [&o](TOptionValues& v) {
                        o.format = v.Next();
                        if (o.format != "text" && o.format != "tsv" && o.format != "json")
                            throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
                    }}},
                  [&o](const std::string& a) { o.operands.push_back(a); },
                  [&o] {
                      if (o.operands.size() != 2) throw UsageError("an archive and a text are needed");
                  }};
    verb.DashDashEndsOptions = true;  // a TEXT that begins with "-" follows
    verb.Wait = &o.wait;
    return verb;
}

}  // namespace

void FindUsage(std::ostream& out) { out << kFindUsage; }

int FindCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TFindOptions o;
    if (auto code = ParseVerbLine(FindVerb(o), args, out, err)) return *code;

    const Catalogue cat = ops::OpenForReading(o.operands[0], o.wait);
    const TRowOrder order = OpenedRowOrder(cat.Entries.size());
    const TNameMatcher matcher(BuildSearchMask(o.operands[1], o.wholeWord, o.matchCase));
    const std::vector<uint32_t> rows = FindAllRows(cat, order, uint32_t(cat.Entries.size()), matcher);
    if (rows.empty()) throw std::runtime_error(std::string(CliWords().NotFound));
    PrintRows(cat, order, rows, -1, o.format, out);
    return 0;
}
