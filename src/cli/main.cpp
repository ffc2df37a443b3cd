// korvane-cli: the archive operations of the window, for scripts.
#include <clocale>
#include <cstring>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/FindCommand.h"
#include "cli/ListCommand.h"

namespace {

void Usage(std::ostream& out)
{
    out << "usage: korvane-cli VERB ARGS   (korvane-cli VERB --help for a verb's arguments)\n"
           "verbs:\n"
           "  list     print the entries of an archive\n";
    out << "  find     print the entries whose names match a mask\n";
}

}  // namespace

int main(int argc, char** argv)
{
    // Size texts use the decimal separator of the user's locale.
    std::setlocale(LC_ALL, "");
    std::ios::sync_with_stdio(false);

    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        Usage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string verb = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (verb == "list") return ListCommand(args, std::cout, std::cerr);
        if (verb == "find") return FindCommand(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "korvane-cli: Out of memory\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "korvane-cli: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "korvane-cli: unknown verb '" << verb << "'\n";
    Usage(std::cerr);
    return 2;
}
