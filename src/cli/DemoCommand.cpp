#include "cli/DemoCommand.h"

#include <cerrno>
#include <sys/stat.h>

#include "base/Errors.h"
#include "demo/DemoArchives.h"

using namespace korvane;

int DemoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << "usage: korvane-cli make-demo DIR\n"
               "Writes demo archives of every kind into DIR (made if missing): demo.img + demo.dir,\n"
               "demo_v2.img (VER2), demo.syb (VXBG) and demo.big (BIGF). Each holds a texture\n"
               "dictionary, a model, placement files, text and data, all drawn by Korvane itself.\n";
        return 0;
    }
    if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
        err << "usage: korvane-cli make-demo DIR\n";
        return 2;
    }
    const std::string& dir = args[0];
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) RaiseIoErrno(errno, dir);
    for (const std::string& path : MakeDemoArchives(dir)) out << path << "\n";
    return 0;
}
