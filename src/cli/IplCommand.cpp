#include "cli/IplCommand.h"

#include "cli/CliOptions.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>

#include "archive/FileReplace.h"
#include "base/Errors.h"
#include "base/NameCodec.h"
#include "cli/CliSource.h"
#include "formats/ipl/Placement.h"
#include "formats/ipl/PlacementTextFile.h"

using namespace korvane;

namespace {

struct TIplOptions {
    TSourceOperands source;
    std::string output;
    TLockWait wait;
};

constexpr const char* kIplUsage =
    "usage: korvane-cli ipl SOURCE [INDEX] [-o FILE]\n"
    "  Converts a binary placement file (one that begins with \"bnry\") to the\n"
    "  text placement format, as the window's IPL page shows it.\n"
    "  SOURCE INDEX: entry number INDEX (the \"№\" column) of the archive SOURCE.\n"
    "  SOURCE alone: a loose placement file, converted whole.\n"
    "  Prints the lines as UTF-8, each ended by a newline. -o FILE writes them\n"
    "  to FILE instead, in Windows-1251 with CR LF line ends, as the window's\n"
    "  \"Сохранить как...\" does. When the records run past the end of the\n"
    "  file, the lines converted before are printed (or written) and the\n"
    "  command fails with \"Read beyond end of file\".\n";

TCliVerb IplVerb(TIplOptions& o)
{
    return {"ipl",
            kIplUsage,
            {{{"-o", "--output"}, "file",
              [&o](TOptionValues& v) {
                  const std::string& file = v.Next();
                  if (!o.output.empty()) throw UsageError("only one output file can be given");
                  o.output = file;
                  if (o.output.empty()) throw UsageError("the output file name is empty");
              }}},
            [&o](const std::string& a) { TakeSourceOperand(o.source, a, "is"); },
            [&o] {
                if (o.source.Source.empty()) throw UsageError("no source given");
            }};
}

// The lines as UTF-8 text, each ended by "\n".
class TStreamSink : public TPlacementSink {
public:
    explicit TStreamSink(std::ostream& out) : out_(out) {}
    void Line(std::string_view line) override
    {
        if (std::all_of(line.begin(), line.end(), [](char c) { return (c & 0x80) == 0; })) {
            out_.write(line.data(), std::streamsize(line.size()));
        } else {
            out_ << Cp1251ToUtf8(line);
        }
        out_.put('\n');
    }

private:
    std::ostream& out_;
};

// Whether two paths name one file (the second one may not exist yet).
void CheckWritten(std::ostream& out)
{
    out.flush();
    if (!out) throw std::runtime_error("the output could not be written");
}

}  // namespace

void IplUsage(std::ostream& out) { out << kIplUsage; }

int IplCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TIplOptions o;
    TCliVerb verb = IplVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    TCliSource src = OpenCliSource(o.source.Source, o.source.Index, o.wait);
    src.File.Seek(src.EntryPos);
    unsigned char header[IplHeaderSize] = {};
    // A placement file begins with "bnry"; one that does but whose header is
    // cut short reads beyond the end of the file.
    const size_t got = src.EntryLen >= 4 ? src.File.ReadSome(header, sizeof header) : 0;
    RequireFormat(src, TFormatKind::Placement, TByteSpan(header, got));
    if (got < sizeof header) RaiseReadBeyondEof(src.File.Path());
    const TIplHeader h = ParseIplHeader(header);

    if (o.output.empty()) {
        TStreamSink sink(out);
        try {
            ConvertPlacement(src.File, src.EntryPos, h, src.Name, sink);
        } catch (...) {
            out.flush();
            throw;
        }
        CheckWritten(out);
        return 0;
    }
    // Creating the output empties it: it must not be the file being read.
    if (SameFile(src.File.Path(), o.output))
        throw std::runtime_error("the output file is the file being converted: " + o.output);
    // The file gets what the window's memo would hold and save, a failure's
    // partial text included; the failure is still reported.
    TPlacementTextFile file(o.output);
    try {
        ConvertPlacement(src.File, src.EntryPos, h, src.Name, file);
    } catch (...) {
        file.Close();
        throw;
    }
    file.Close();
    return 0;
}
