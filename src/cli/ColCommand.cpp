#include "cli/ColCommand.h"

#include <optional>

#include "base/NameCodec.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliSource.h"
#include "cli/JsonText.h"
#include "formats/col/Collision.h"
#include "ops/CollisionExport.h"

using namespace korvane;

namespace {

struct TColOptions {
    TSourceOperands source;
    std::optional<std::string> obj;
    std::optional<std::string> model;
    std::string format = "text";
    TLockWait wait;
};

constexpr const char* kColUsage =
    "usage: korvane-cli col SOURCE [INDEX] [--obj FILE [--model NAME]] [--format text|tsv|json]\n"
    "  Reads the collision file that entry INDEX (its number in the list) of the\n"
    "  archive SOURCE holds, or the loose file SOURCE when no INDEX is given, and\n"
    "  prints one line per collision model: its name, version (1 to 4), model id,\n"
    "  spheres, boxes, vertices, faces and shadow-mesh faces, separated by tabs;\n"
    "  then the totals (models, faces) as the window shows them.\n"
    "  --format tsv leaves the totals out; --format json prints the models as a\n"
    "  JSON array.\n"
    "  --obj FILE also writes the models' faces as a Wavefront OBJ file, one\n"
    "  object per model; --model NAME writes the first model of that name alone\n"
    "  (a-z and A-Z alike).\n"
    "  A model whose counts or offsets do not fit its own size is an error that\n"
    "  names it, printed after the models before it.\n";

TCliVerb ColVerb(TColOptions& o)
{
    return {"col",
            kColUsage,
            {{{"--obj"}, "file", [&o](TOptionValues& v) { o.obj = v.Next(); }},
             {{"--model"}, "name", [&o](TOptionValues& v) { o.model = v.Next(); }},
             {{"--format"}, "value",
              [&o](TOptionValues& v) {
                  o.format = v.Next();
                  if (o.format != "text" && o.format != "tsv" && o.format != "json")
                      throw UsageError("--format takes text, tsv or json, not '" + o.format + "'");
              }}},
            [&o](const std::string& a) { TakeSourceOperand(o.source, a); },
            [&o] {
                if (o.source.Count == 0) throw UsageError("no SOURCE given");
                if (o.model && !o.obj) throw UsageError("--model goes with --obj");
            }};
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
        if (up(a[i]) != up(b[i])) return false;
    }
    return true;
}

void PrintModels(const std::vector<TCollisionModel>& models, const std::string& format, std::ostream& out)
{
    if (format == "json") {
        out << "[";
        for (size_t i = 0; i < models.size(); ++i) {
            const TCollisionModel& m = models[i];
            out << (i ? ",\n " : "\n ") << "{\"name\": " << JsonText(Cp1251ToUtf8(m.Name())) << ", \"version\": " << m.Version
                << ", \"id\": " << m.ModelId << ", \"spheres\": " << m.Spheres << ", \"boxes\": " << m.Boxes
                << ", \"vertices\": " << m.Vertices << ", \"faces\": " << m.Faces << ", \"shadow_faces\": " << m.ShadowFaces
                << "}";
        }
        out << (models.empty() ? "]\n" : "\n]\n");
        return;
    }
    for (const TCollisionModel& m : models)
        out << Cp1251ToUtf8(m.Name()) << '\t' << m.Version << '\t' << m.ModelId << '\t' << m.Spheres << '\t' << m.Boxes
            << '\t' << m.Vertices << '\t' << m.Faces << '\t' << m.ShadowFaces << '\n';
}

}  // namespace

int ColCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TColOptions o;
    TCliVerb verb = ColVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    TCliSource source = OpenCliSource(o.source.Source, o.source.Index, o.wait);
    const TEntryBytes bytes = ReadSourceBytes(source);
    RequireFormat(source, TFormatKind::Collision, bytes.Bytes);
    std::vector<TCollisionModel> models;
    std::exception_ptr failure;
    try {
        ReadCollisionFile(bytes.Bytes, models);
    } catch (...) {
        failure = std::current_exception();
    }
    // The models before a damaged one are shown, then its error.
    PrintModels(models, o.format, out);
    out.flush();
    if (failure) RethrowNamingSource<ECollisionError>(source, failure);
    if (o.format == "text") {
        uint64_t faces = 0;
        for (const TCollisionModel& m : models) faces += m.Faces;
        out << CollisionTotalsText(models.size(), faces, CliWords()) << '\n';
        out.flush();
    }
    if (o.obj) {
        std::vector<TCollisionModel> chosen = models;
        if (o.model) {
            chosen.clear();
            for (const TCollisionModel& m : models)
                if (SameName(Cp1251ToUtf8(m.Name()), *o.model)) {
                    chosen.push_back(m);
                    break;
                }
            if (chosen.empty()) throw std::runtime_error("no collision model named '" + *o.model + "'");
        }
        ops::ExportCollisionObj(bytes.Bytes, chosen, *o.obj);
    }
    return 0;
}
