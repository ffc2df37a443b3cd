// The shared start of every verb: its --help and its usage errors.
#pragma once

#include <algorithm>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

// A command line the verb cannot take: reported with its usage, exit 2.
class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "--help" anywhere prints the verb's usage and ends it with 0; a command line
// that `parse` refuses with UsageError prints the reason and the usage and ends
// it with 2. Returns that exit status, or nothing when `options` holds what
// `parse` made of the arguments.
template <class TOptions, class TParse>
std::optional<int> ParseVerb(const char* verb, const std::vector<std::string>& args, std::ostream& out,
                             std::ostream& err, void (*usage)(std::ostream&), TParse parse, TOptions& options)
{
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        usage(out);
        return 0;
    }
    try {
        options = parse();
    } catch (const UsageError& e) {
        err << "korvane-cli " << verb << ": " << e.what() << "\n";
        usage(err);
        return 2;
    }
    return std::nullopt;
}
