// The archive commands of the window's "Сервис" menu: repack and check.
#include "cli/ServiceCommands.h"

#include "cli/CliSource.h"
#include "cli/CliUsage.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "archive/QuickCheck.h"
#include "archive/Repack.h"
#include "ops/ArchiveOps.h"
#include "ops/ServiceOps.h"

using namespace korvane;

namespace {

enum class TProgressMode { pmAuto, pmOn, pmOff };

struct TServiceOptions {
    std::string archive;
    TProgressMode progress = TProgressMode::pmAuto;
};

TServiceOptions ParseOptions(const std::vector<std::string>& args, bool progressOptions)
{
    TServiceOptions o;
    for (const std::string& a : args) {
        if (progressOptions && a == "--progress") {
            o.progress = TProgressMode::pmOn;
        } else if (progressOptions && a == "--no-progress") {
            o.progress = TProgressMode::pmOff;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else if (o.archive.empty()) {
            o.archive = a;
        } else {
            throw UsageError("only one archive can be given");
        }
    }
    if (o.archive.empty()) throw UsageError("no archive given");
    return o;
}

// The archive as the window opens it; only the two sector kinds have the
// "Сервис" commands.
Catalogue OpenForService(const std::string& path)
{
    const TArchiveLocation where = LocateArchive(path);
    ops::CheckServiceKind(where.Kind);
    return ops::OpenForReading(where);
}

// A bar on the terminal, redrawn when the whole percentage changes.
class TProgressBar {
public:
    explicit TProgressBar(std::ostream& err) : err_(err) {}
    void Show(uint64_t done, uint64_t total)
    {
        const int percent = total == 0 ? 100 : int(done * 100 / total);
        if (percent == shown_) return;
        shown_ = percent;
        constexpr int width = 40;
        const int filled = percent * width / 100;
        err_ << "\rrepacking [" << std::string(size_t(filled), '#') << std::string(size_t(width - filled), '-') << "] ";
        err_.width(3);
        err_ << percent << "%" << std::flush;
    }
    void Finish()
    {
        if (shown_ >= 0) err_ << "\n" << std::flush;
    }

private:
    std::ostream& err_;
    int shown_ = -1;
};

template <class F>
int WithUsage(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const char* verb,
              void (*usage)(std::ostream&), F&& run)
{
    if (std::find(args.begin(), args.end(), "--help") != args.end()) {
        usage(out);
        return 0;
    }
    try {
        return run();
    } catch (const UsageError& e) {
        err << "korvane-cli " << verb << ": " << e.what() << "\n";
        usage(err);
        return 2;
    }
}

}  // namespace

void RepackUsage(std::ostream& out)
{
    out << "usage: korvane-cli repack ARCHIVE [--progress|--no-progress]\n"
           "  Rewrites an .img (with its .dir) or VER2 archive without unused space:\n"
           "  every entry's data in catalogue order, no gaps, new offsets in the\n"
           "  directory. The new archive is built beside the old one (ARCHIVE with\n"
           "  the extension .~new) and replaces it only when complete; on failure\n"
           "  the old archive is left as it was. A progress bar is drawn on stderr\n"
           "  when it is a terminal (--progress and --no-progress decide instead).\n";
}

void CheckUsage(std::ostream& out)
{
    out << "usage: korvane-cli check ARCHIVE\n"
           "  Checks the entry names of an .img or VER2 archive. Prints\n"
           "  \"Проверка завершена\" and exits 0 when they pass; otherwise prints the\n"
           "  first problem as three lines (caption, text, the entry numbers\n"
           "  concerned, ascending) and exits 1.\n";
}

int RepackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return WithUsage(args, out, err, "repack", RepackUsage, [&] {
        const TServiceOptions o = ParseOptions(args, true);
        Catalogue cat = OpenForService(o.archive);
        const bool bar = o.progress == TProgressMode::pmOn ||
                         (o.progress == TProgressMode::pmAuto && ::isatty(STDERR_FILENO));
        TProgressBar progress(err);
        try {
            ops::Repack(cat, bar ? TRepackProgress([&](uint64_t d, uint64_t t) { progress.Show(d, t); })
                                   : TRepackProgress());
        } catch (...) {
            progress.Finish();
            throw;
        }
        progress.Finish();
        // Read back, as the window loads the archive again.
        ReadDirectory(LocateArchive(cat.ArchivePath));
        return 0;
    });
}

int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    return WithUsage(args, out, err, "check", CheckUsage, [&] {
        const TServiceOptions o = ParseOptions(args, false);
        const Catalogue cat = OpenForService(o.archive);
        const TCheckResult result = ops::Check(cat);
        if (result.Outcome == TCheckOutcome::coPassed) {
            out << "Проверка завершена\n" << std::flush;
            return 0;
        }
        const TCheckMessage message = CheckMessage(result.Outcome);
        out << message.Caption << "\n" << message.Text << "\n";
        for (size_t k = 0; k < result.Entries.size(); ++k) out << (k ? " " : "") << result.Entries[k];
        out << "\n" << std::flush;
        return 1;
    });
}
