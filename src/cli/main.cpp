// korvane-cli: the archive operations of the window, for scripts.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/CliError.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/ColCommand.h"
#include "cli/DemoCommand.h"
#include "cli/DffCommand.h"
#include "cli/EditCommands.h"
#include "cli/FindCommand.h"
#include "cli/IfpCommand.h"
#include "cli/IplCommand.h"
#include "cli/ListCommand.h"
#include "cli/ServiceCommands.h"
#include "cli/TxdCommand.h"

namespace {

using TRun = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

// Every verb, in the order the usage lists them, with its line there.
struct TVerbLine {
    const char* name;
    const char* line;
    TRun run;
};
constexpr TVerbLine kVerbs[] = {
    {"list", "  list     print the entries of an archive\n", ListCommand},
    {"ipl", "  ipl      convert a binary placement file to text\n", IplCommand},
    {"dff", "  dff      print the parts of a model, optionally as an OBJ file\n", DffCommand},
    {"col", "  col      print the models of a collision file, optionally as an OBJ file\n", ColCommand},
    {"ifp", "  ifp      print the animations of an animation package\n", IfpCommand},
    {"repack", "  repack   rewrite an .img or VER2 archive without unused space\n", RepackCommand},
    {"check", "  check    check the entry names of an .img or VER2 archive\n", CheckCommand},
    {"txd", "  txd      list, export, replace, add or remove the textures of a dictionary\n", TxdCommand},
    {"extract", "  extract  write entries to files\n", ExtractCommand},
    {"add", "  add      append files as new entries\n", AddCommand},
    {"replace", "  replace  give an entry a file's data and name\n", ReplaceCommand},
    {"import", "  import   replace entries by the files' names and add the other files\n", ImportCommand},
    {"delete", "  delete   remove entries\n", DeleteCommand},
    {"rename", "  rename   rename an entry\n", RenameCommand},
    {"find", "  find     print the entries whose names match a mask\n", FindCommand},
    {"make-demo", "  make-demo  write demo archives of every kind\n", DemoCommand},
};

void Usage(std::ostream& out)
{
    out << "usage: korvane-cli VERB ARGS   (korvane-cli VERB --help for a verb's arguments)\n"
           "verbs:\n";
    for (const TVerbLine& v : kVerbs) out << v.line;
    out << "--lang en|ru (anywhere before a \"--\"): the texts that are Russian by default (sizes,\n"
           "column captions, model totals, the check's reports) in English or Russian; without it\n"
           "KORVANE_LANG=en|ru decides, else they are Russian. Error messages are English.\n"
           "a failure prints \"korvane-cli: FILE: MESSAGE\" on stderr (without FILE when it concerns none)\n"
           "and exits 1; a usage error exits 2\n";
}

}  // namespace

int main(int argc, char** argv)
{
    // Size texts use the decimal separator of the user's locale.
    std::setlocale(LC_ALL, "");
    std::ios::sync_with_stdio(false);
    // Past a file-size limit a write fails like a full disk and the command
    // cleans up, instead of the process being killed half-way.
    std::signal(SIGXFSZ, SIG_IGN);

    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        ChooseCliLanguage(args, std::getenv("KORVANE_LANG"));
    } catch (const UsageError& e) {
        std::cerr << "korvane-cli: " << e.what() << "\n";
        Usage(std::cerr);
        return 2;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        Usage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    const std::string verb = args[0];
    args.erase(args.begin());
    try {
        for (const TVerbLine& v : kVerbs)
            if (verb == v.name) return v.run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "korvane-cli: Out of memory\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << CliErrorLine(e) << "\n";
        return 1;
    }
    std::cerr << "korvane-cli: unknown verb '" << verb << "'\n";
    Usage(std::cerr);
    return 2;
}
