// korvane-cli: the archive operations of the window, for scripts.
#include <clocale>
#include <csignal>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/CliError.h"
#include "cli/DemoCommand.h"
#include "cli/IplCommand.h"
#include "cli/DffCommand.h"
#include "cli/EditCommands.h"
#include "cli/FindCommand.h"
#include "cli/ListCommand.h"
#include "cli/ServiceCommands.h"
#include "cli/TxdCommand.h"

namespace {

void Usage(std::ostream& out)
{
    out << "usage: korvane-cli VERB ARGS   (korvane-cli VERB --help for a verb's arguments)\n"
           "verbs:\n"
           "  list     print the entries of an archive\n"
           "  ipl      convert a binary placement file to text\n"
           "  dff      print the parts of a model, optionally as an OBJ file\n"
           "  repack   rewrite an .img or VER2 archive without unused space\n"
           "  check    check the entry names of an .img or VER2 archive\n"
           "  txd      list, export, replace, add or remove the textures of a dictionary\n"
           "  extract  write entries to files\n"
           "  add      append files as new entries\n"
           "  replace  give an entry a file's data and name\n"
           "  delete   remove entries\n"
           "  rename   rename an entry\n"
           "  find     print the entries whose names match a mask\n"
           "  make-demo  write demo archives of every kind\n";
    out << "a failure prints \"korvane-cli: FILE: MESSAGE\" on stderr (without FILE when it concerns none)\n"
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

    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        Usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string verb = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (verb == "list") return ListCommand(args, std::cout, std::cerr);
        if (verb == "make-demo") return DemoCommand(args, std::cout, std::cerr);
        if (verb == "ipl") return IplCommand(args, std::cout, std::cerr);
        if (verb == "dff") return DffCommand(args, std::cout, std::cerr);
        if (verb == "repack") return RepackCommand(args, std::cout, std::cerr);
        if (verb == "check") return CheckCommand(args, std::cout, std::cerr);
        if (verb == "txd") return TxdCommand(args, std::cout, std::cerr);
        if (verb == "extract") return ExtractCommand(args, std::cout, std::cerr);
        if (verb == "add") return AddCommand(args, std::cout, std::cerr);
        if (verb == "replace") return ReplaceCommand(args, std::cout, std::cerr);
        if (verb == "delete") return DeleteCommand(args, std::cout, std::cerr);
        if (verb == "rename") return RenameCommand(args, std::cout, std::cerr);
        if (verb == "find") return FindCommand(args, std::cout, std::cerr);
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
