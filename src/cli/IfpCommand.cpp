#include "cli/IfpCommand.h"

#include "base/NameCodec.h"
#include "cli/CliOptions.h"
#include "cli/CliSource.h"
#include "cli/JsonText.h"
#include "formats/ifp/Animation.h"

using namespace korvane;

namespace {

struct TIfpOptions {
    TSourceOperands source;
    std::string format = "text";
    TLockWait wait;
};

constexpr const char* kIfpUsage =
    "usage: korvane-cli ifp SOURCE [INDEX] [--format text|tsv|json]\n"
    "  Reads the animation package (ANP3 or ANPK) that entry INDEX (its number in\n"
    "  the list) of the archive SOURCE holds, or the loose file SOURCE when no\n"
    "  INDEX is given, and prints one line per animation: its name, bones, keys\n"
    "  (of all its bones) and length in seconds, separated by tabs. tsv is the\n"
    "  same; --format json prints the animations as a JSON array, each with its\n"
    "  bones: name, id (-1 in ANPK packages, which have none), key kind (KR00\n"
    "  rotation, KRT0 and translation, KRTS and scale) and keys.\n"
    "  An animation whose counts or sizes do not fit the package is an error\n"
    "  that names it, printed after the animations before it.\n";

TCliVerb IfpVerb(TIfpOptions& o)
{
    return {"ifp",
            kIfpUsage,
            {{{"--format"}, "value",
              [&o](TOptionValues& v) {
                  o.format = v.Next();
                  if (o.format != "text" && o.format != "tsv" && o.format != "json")
                      throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
              }}},
            [&o](const std::string& a) { TakeSourceOperand(o.source, a); },
            [&o] {
                if (o.source.Count == 0) throw UsageError("no SOURCE given");
            }};
}

void PrintJson(const TAnimationPackage& p, std::ostream& out)
{
    out << "[";
    for (size_t i = 0; i < p.Animations.size(); ++i) {
        const TAnimation& a = p.Animations[i];
        out << (i ? ",\n " : "\n ") << "{\"name\": " << JsonText(Cp1251ToUtf8(a.Name)) << ", \"bones\": [";
        for (size_t k = 0; k < a.Bones.size(); ++k) {
            const TAnimationBone& b = a.Bones[k];
            out << (k ? ",\n  " : "\n  ") << "{\"name\": " << JsonText(Cp1251ToUtf8(b.Name)) << ", \"id\": " << b.Id
                << ", \"kind\": " << JsonText(KeyKindTag(b.Kind)) << ", \"keys\": " << b.Keys << "}";
        }
        out << (a.Bones.empty() ? "]" : "\n ]") << ", \"keys\": " << a.Keys << ", \"seconds\": " << SecondsText(a.Seconds)
            << "}";
    }
    out << (p.Animations.empty() ? "]\n" : "\n]\n");
}

}  // namespace

int IfpCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TIfpOptions o;
    TCliVerb verb = IfpVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    TCliSource source = OpenCliSource(o.source.Source, o.source.Index, o.wait);
    const TEntryBytes bytes = ReadSourceBytes(source);
    RequireFormat(source, TFormatKind::Animation, bytes.Bytes);
    TAnimationPackage package;
    std::exception_ptr failure;
    try {
        ReadAnimationPackage(bytes.Bytes, package);
    } catch (...) {
        failure = std::current_exception();
    }
    if (o.format == "json") {
        PrintJson(package, out);
    } else {
        for (const TAnimation& a : package.Animations)
            out << Cp1251ToUtf8(a.Name) << '\t' << a.Bones.size() << '\t' << a.Keys << '\t' << SecondsText(a.Seconds) << '\n';
    }
    out.flush();
    if (failure) RethrowNamingSource<EAnimationError>(source, failure);
    return 0;
}
