// The archive commands of the window's "Сервис" menu: repack and check.
#include "cli/CliLanguage.h"
#include "cli/ServiceCommands.h"

#include <unistd.h>

#include "archive/ArchiveOpen.h"
#include "cli/CliOptions.h"
#include "ops/ArchiveOps.h"
#include "ops/ServiceOps.h"

using namespace korvane;

namespace {

enum class TProgressMode { pmAuto, pmOn, pmOff };

struct TServiceOptions {
    std::string archive;
    TProgressMode progress = TProgressMode::pmAuto;
    TLockWait wait;
};

constexpr const char* kRepackUsage =
    "usage: korvane-cli repack ARCHIVE [--progress|--no-progress]\n"
    "  Rewrites an .img (with its .dir) or VER2 archive without unused space:\n"
    "  every entry's data in catalogue order, no gaps, new offsets in the\n"
    "  directory. The new archive is built beside the old one (ARCHIVE with\n"
    "  the extension .~new) and replaces it only when complete; on failure\n"
    "  the old archive is left as it was. A progress bar is drawn on stderr\n"
    "  when it is a terminal (--progress and --no-progress decide instead).\n";

constexpr const char* kCheckUsage =
    "usage: korvane-cli check ARCHIVE\n"
    "  Checks the entry names of an .img or VER2 archive. Prints\n"
    "  \"Проверка завершена\" (\"Check complete\" with --lang en) and exits 0\n"
    "  when they pass; otherwise prints the first problem as three lines\n"
    "  (caption, text, the entry numbers concerned, ascending) and exits 1.\n";

// ARCHIVE, and for repack its progress options.
TCliVerb ServiceVerb(const char* name, const char* usage, TServiceOptions& o, bool progressOptions)
{
    TCliVerb verb{name, usage, {},
                  [&o](const std::string& a) {
                      if (!o.archive.empty()) throw UsageError("only one archive can be given");
                      o.archive = a;
                  },
                  [&o] {
                      if (o.archive.empty()) throw UsageError("no archive given");
                  }};
    if (progressOptions)
        verb.Options = {{{"--progress"}, "value", [&o](TOptionValues&) { o.progress = TProgressMode::pmOn; }},
                        {{"--no-progress"}, "value", [&o](TOptionValues&) { o.progress = TProgressMode::pmOff; }}};
    verb.Wait = &o.wait;
    return verb;
}

// The archive as the window opens it; only the two sector kinds have the
// "Сервис" commands. A repack holds it exclusively, a check shared.
ops::TLockedCatalogue OpenForService(const std::string& path, TLockMode mode, const TLockWait& wait)
{
    const TArchiveLocation where = LocateArchive(path);
    ops::CheckServiceKind(where.Kind);
    return mode == TLockMode::lmExclusive ? ops::OpenForChanging(where, wait) : ops::OpenForReadingHeld(where, wait);
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
}  // namespace

void RepackUsage(std::ostream& out) { out << kRepackUsage; }

void CheckUsage(std::ostream& out) { out << kCheckUsage; }

int RepackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TServiceOptions o;
    if (auto code = ParseVerbLine(ServiceVerb("repack", kRepackUsage, o, true), args, out, err)) return *code;
    ops::TLockedCatalogue held = OpenForService(o.archive, TLockMode::lmExclusive, o.wait);
    Catalogue& cat = held.Cat;
    const bool bar = o.progress == TProgressMode::pmOn ||
                     (o.progress == TProgressMode::pmAuto && ::isatty(STDERR_FILENO));
    TProgressBar progress(err);
    try {
        ops::Repack(held, bar ? TRepackProgress([&](uint64_t d, uint64_t t) { progress.Show(d, t); })
                               : TRepackProgress());
    } catch (...) {
        progress.Finish();
        throw;
    }
    progress.Finish();
    // The old file stays locked until the new one is in its place; then the
    // new one is read back, as the window loads the archive again.
    held.Lock.Release();
    ops::OpenForReading(LocateArchive(cat.ArchivePath), o.wait);
    return 0;
}

int CheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TServiceOptions o;
    if (auto code = ParseVerbLine(ServiceVerb("check", kCheckUsage, o, false), args, out, err)) return *code;
    const ops::TLockedCatalogue held = OpenForService(o.archive, TLockMode::lmShared, o.wait);
    const Catalogue& cat = held.Cat;
    const TCheckResult result = ops::Check(cat);
    if (result.Outcome == TCheckOutcome::coPassed) {
        out << CliWords().CheckPassed << "\n" << std::flush;
        return 0;
    }
    const TCheckMessage message = CheckMessage(result.Outcome, CliWords());
    out << message.Caption << "\n" << message.Text << "\n";
    for (size_t k = 0; k < result.Entries.size(); ++k) out << (k ? " " : "") << result.Entries[k];
    out << "\n" << std::flush;
    return 1;
}
