#include "cli/CliOptions.h"

#include <algorithm>

#include "cli/CliSource.h"

void ParseCommandLine(const TCliVerb& verb, const std::vector<std::string>& args)
{
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && verb.DashDashEndsOptions && a == "--") {
            options = false;
            continue;
        }
        const TCliOption* option = nullptr;
        if (options)
            for (const TCliOption& o : verb.Options)
                if (std::find(o.Names.begin(), o.Names.end(), a) != o.Names.end()) option = &o;
        if (option) {
            TOptionValues values(args, i, a, option->ValueWord);
            option->Take(values);
        } else if (options && a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            verb.Operand(a);
        }
    }
    if (verb.Done) verb.Done();
}

namespace {

bool WantsHelp(const TCliVerb& verb, const std::vector<std::string>& args)
{
    if (verb.Help == THelpRule::hrAnywhere) return std::find(args.begin(), args.end(), "--help") != args.end();
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

}  // namespace

std::optional<int> ParseVerbLine(const TCliVerb& verb, const std::vector<std::string>& args, std::ostream& out,
                                 std::ostream& err)
{
    if (WantsHelp(verb, args)) {
        out << verb.Usage;
        return 0;
    }
    try {
        ParseCommandLine(verb, args);
    } catch (const UsageError& e) {
        err << "korvane-cli " << verb.Name << ": " << e.what() << "\n" << verb.Usage;
        return 2;
    }
    return std::nullopt;
}

uint32_t ParseIndexOperand(const std::string& text, const char* is)
{
    const std::optional<uint32_t> index = ParseEntryIndex(text);
    if (!index) throw UsageError(std::string("INDEX ") + is + " an entry number, not '" + text + "'");
    return *index;
}

void TakeSourceOperand(TSourceOperands& s, const std::string& operand, const char* indexIs)
{
    if (s.Count == 0) {
        s.Source = operand;
    } else if (s.Count == 1) {
        s.Index = ParseIndexOperand(operand, indexIs);
    } else {
        throw UsageError("unexpected argument '" + operand + "'");
    }
    ++s.Count;
}
