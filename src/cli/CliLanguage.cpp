#include "cli/CliLanguage.h"

#include <string_view>

#include "cli/CliOptions.h"

namespace {

const korvane::TTextWords* chosen = &korvane::RussianWords;

const korvane::TTextWords* WordsNamed(std::string_view name)
{
    if (name == "ru") return &korvane::RussianWords;
    if (name == "en") return &korvane::EnglishWords;
    return nullptr;
}

}  // namespace

void ChooseCliLanguage(std::vector<std::string>& args, const char* environment)
{
    for (size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        if (args[i] != "--lang") continue;
        if (i + 1 >= args.size()) throw UsageError("option --lang needs a language");
        const korvane::TTextWords* words = WordsNamed(args[i + 1]);
        if (!words) throw UsageError("--lang takes en or ru, not '" + args[i + 1] + "'");
        chosen = words;
        args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
        return;
    }
    if (environment)
        if (const korvane::TTextWords* words = WordsNamed(environment)) chosen = words;
}

const korvane::TTextWords& CliWords() { return *chosen; }
