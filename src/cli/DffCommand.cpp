#include "cli/CliLanguage.h"
#include "cli/DffCommand.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "base/FileIO.h"
#include "cli/CliOptions.h"
#include "cli/CliSource.h"
#include "formats/dff/Model.h"
#include "formats/dff/VehicleLook.h"
#include "ops/ModelExport.h"
#include "rw/SectionCursor.h"
#include "rw/SectionIds.h"

using namespace korvane;

namespace {

struct TDffOptions {
    std::vector<std::string> operands;
    TSourceOperands source;
    std::optional<std::string> obj;
    std::optional<std::string> gltf;
    std::vector<std::string> txd;  // loose dictionaries, searched in order
    std::optional<TVehiclePaint> paint;
    TLockWait wait;
};

constexpr const char* kDffUsage =
    "usage: korvane-cli dff SOURCE [INDEX] [--obj FILE]\n"
    "                       [--gltf FILE.glb [--txd TXD]... [--paint R,G,B[,R,G,B]]]\n"
    "  Reads the model that entry INDEX (its number in the list) of the archive\n"
    "  SOURCE holds, or the loose model file SOURCE when no INDEX is given, and\n"
    "  prints one line per part: its name, vertex count, triangle count and\n"
    "  bounding radius, separated by tabs; then the totals as the window shows them.\n"
    "  --obj FILE also writes the parts as the view draws them, every part\n"
    "  checked and none selected, as a Wavefront OBJ file.\n"
    "  --gltf FILE.glb also writes the model assembled by its frames, every part\n"
    "  with its materials and textures, as a binary glTF 2.0 file. Textures come\n"
    "  from the archive's dictionary of the model's name (NAME.txd), then from\n"
    "  each loose dictionary given with --txd, in order, then from the archive's\n"
    "  vehicle.txd. A vehicle stands on a wheel at every wheel dummy, and its\n"
    "  marker materials are painted: --paint gives the body colour and, after\n"
    "  it, the trim colour (0..255 each; light grey and dark grey by default).\n";

// "R,G,B" or "R,G,B,R,G,B", each 0..255.
TVehiclePaint ParsePaint(const std::string& text)
{
    uint8_t values[6];
    size_t n = 0;
    bool good = true;
    const char* p = text.data();
    const char* end = p + text.size();
    // Numbers separated by single commas, nothing before, between or after.
    for (;;) {
        unsigned v = 0;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc() || next == p || v > 255 || n == 6) {
            good = false;
            break;
        }
        values[n++] = uint8_t(v);
        p = next;
        if (p == end) break;
        if (*p++ != ',') {
            good = false;
            break;
        }
    }
    if (!good || (n != 3 && n != 6))
        throw UsageError("--paint takes R,G,B or R,G,B,R,G,B with values 0..255, not '" + text + "'");
    TVehiclePaint paint;
    std::copy(values, values + 3, paint.Primary);
    if (n == 6) std::copy(values + 3, values + 6, paint.Secondary);
    return paint;
}

TCliVerb DffVerb(TDffOptions& o)
{
    return {"dff",
            kDffUsage,
            {{{"--obj"}, "file", [&o](TOptionValues& v) { o.obj = v.Next(); }},
             {{"--gltf"}, "file", [&o](TOptionValues& v) { o.gltf = v.Next(); }},
             {{"--txd"}, "file", [&o](TOptionValues& v) { o.txd.push_back(v.Next()); }},
             {{"--paint"}, "value", [&o](TOptionValues& v) { o.paint = ParsePaint(v.Next()); }}},
            [&o](const std::string& a) { o.operands.push_back(a); },
            [&o] {
                if (o.operands.empty()) throw UsageError("no SOURCE given");
                if (!o.txd.empty() && !o.gltf) throw UsageError("--txd goes with --gltf");
                if (o.paint && !o.gltf) throw UsageError("--paint goes with --gltf");
                if (o.operands.size() > 2) throw UsageError("too many arguments");
                for (const std::string& a : o.operands) TakeSourceOperand(o.source, a);
            }};
}

// Fixed with six decimals and a "." whatever the locale; "nan" for any NaN.
std::string RadiusText(float r)
{
    if (std::isnan(r)) return "nan";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 6);
    return std::string(buf, res.ptr);
}
// The model as glTF, textured from the archive's dictionary of the model's
// name, the loose ones given and the archive's vehicle.txd, in that order.
void ExportGltf(const TDffOptions& o, const TCliSource& source, const TModelRead& read, std::ostream& err)
{
    const TModelTextures textures = ops::ModelTexturesFor(read, source.Cat ? &*source.Cat : nullptr, source.Name, o.txd);
    if (!read.SceneError.empty())
        err << "korvane-cli: warning: the model's frames and materials could not be read (" << read.SceneError
            << "); its parts are exported as stored, untextured\n";
    ops::ExportGltf(read, textures, source.Name, *o.gltf, {}, o.paint.value_or(TVehiclePaint{}));
}

}  // namespace

void DffUsage(std::ostream& out) { out << kDffUsage; }

int DffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TDffOptions o;
    TCliVerb verb = DffVerb(o);
    verb.Wait = &o.wait;
    if (auto code = ParseVerbLine(verb, args, out, err)) return *code;

    TCliSource source = OpenCliSource(o.source.Source, o.source.Index, o.wait);
    const TEntryBytes bytes = ReadSourceBytes(source);
    TSectionCursor in(bytes.Bytes, bytes.Path);
    RequireFormat(source, TFormatKind::Model, bytes.Bytes);
    TModelRead read;
    std::exception_ptr failure;
    try {
        ReadModel(in, read);
    } catch (...) {
        failure = std::current_exception();
    }
    for (size_t i = 0; i < read.Parts.size(); ++i) {
        const TModelPart& p = read.Parts[i];
        out << PartCaption(i + 1, CliWords()) << '\t' << p.Positions.size() << '\t' << p.Triangles.size() << '\t'
            << RadiusText(p.Radius) << '\n';
    }
    out.flush();
    if (failure) std::rethrow_exception(failure);
    out << ModelTotalsText(read.VertexTotal, read.TriangleTotal, CliWords()) << '\n';
    out.flush();
    if (o.obj) ops::ExportObj(read, *o.obj);
    if (o.gltf) ExportGltf(o, source, read, err);
    return 0;
}
