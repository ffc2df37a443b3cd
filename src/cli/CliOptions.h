// A verb's command line described in one table: its usage text, its
// options (and what each does with the words after it) and what its
// operands become. One parser reads every verb's command line from its table.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/ArchiveLock.h"

// A command line the verb cannot take: reported with its usage, exit 2.
class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words after an option, read one at a time as the option asks for them.
class TOptionValues {
public:
    TOptionValues(const std::vector<std::string>& args, size_t& at, const std::string& name, const char* word)
        : args_(args), at_(at), name_(name), word_(word)
    {
    }
    // The next word; raises "option NAME needs a WORD" when there is none.
    const std::string& Next()
    {
        if (at_ + 1 >= args_.size()) throw UsageError("option " + name_ + " needs a " + word_);
        return args_[++at_];
    }
    const std::string& Name() const { return name_; }

private:
    const std::vector<std::string>& args_;
    size_t& at_;
    const std::string& name_;
    const char* word_;
};

struct TCliOption {
    std::vector<std::string> Names;  // "-o", "--output"
    const char* ValueWord = "value";  // what a missing word after it is called
    std::function<void(TOptionValues&)> Take;
};

enum class THelpRule {
    hrAnywhere,       // "--help" anywhere on the line
    hrBeforeOperands, // "--help" or "-h" before a "--"
};

struct TCliVerb {
    const char* Name;
    const char* Usage;
    std::vector<TCliOption> Options;
    std::function<void(const std::string&)> Operand;  // each operand, in order
    std::function<void()> Done;                       // checks after the last word
    bool DashDashEndsOptions = false;                 // "--": only operands follow
    THelpRule Help = THelpRule::hrAnywhere;
    // A verb that locks an archive takes "--wait SECONDS": how long to wait
    // for another program's change (default 10, 0: not at all).
    korvane::TLockWait* Wait = nullptr;
};

// Reads the command line with the verb's table: options and operands in
// order, then Done. Raises UsageError.
void ParseCommandLine(const TCliVerb& verb, const std::vector<std::string>& args);

// The start of every verb: with help asked for, prints the usage on `out`
// and gives 0; a command line the table refuses prints "korvane-cli VERB:
// REASON" and the usage on `err` and gives 2; otherwise nothing, and the
// verb goes on. A verb that locks an archive is given its line for waiting
// on `err` (see CliLockWait).
std::optional<int> ParseVerbLine(const TCliVerb& verb, const std::vector<std::string>& args, std::ostream& out,
                                 std::ostream& err);

// An entry number operand; refused as "INDEX " + is + " an entry number, not 'TEXT'".
uint32_t ParseIndexOperand(const std::string& text, const char* is = "must be");

// SOURCE [INDEX]: an archive and an entry number in it, or a loose file.
struct TSourceOperands {
    std::string Source;
    std::optional<uint32_t> Index;
    int Count = 0;
};
// Takes the next operand: SOURCE first, then INDEX (refused as "INDEX " +
// indexIs + " an entry number, not 'TEXT'"), then "unexpected argument 'TEXT'".
void TakeSourceOperand(TSourceOperands& s, const std::string& operand, const char* indexIs = "must be");
