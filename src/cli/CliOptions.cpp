#include "cli/CliOptions.h"

#include <algorithm>

#include "cli/CliError.h"
#include "cli/CliSource.h"

namespace {

// Whole or decimal seconds, at most a day: "2", "0", "0.5".
std::chrono::milliseconds ParseWaitSeconds(const std::string& text)
{
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string part = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    auto digits = [](const std::string& s) {
        return !s.empty() && s.size() <= 6 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(whole) || (dot != std::string::npos && !digits(part)))
        throw UsageError("--wait takes a number of seconds, not '" + text + "'");
    const long long ms = std::stoll(whole) * 1000 + (part.empty() ? 0 : std::stoll((part + "00").substr(0, 3)));
    if (ms > 86400LL * 1000) throw UsageError("--wait takes at most 86400 seconds, not '" + text + "'");
    return std::chrono::milliseconds(ms);
}

}  // namespace

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
        if (!option && options && verb.Wait && a == "--wait") {
            TOptionValues values(args, i, a, "number of seconds");
            verb.Wait->Limit = ParseWaitSeconds(values.Next());
        } else if (option) {
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
    if (verb.Wait && !verb.Wait->Waiting) verb.Wait->Waiting = CliLockWait(err).Waiting;
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
