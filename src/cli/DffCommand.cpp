#include "cli/DffCommand.h"

#include "cli/CliUsage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "archive/FileIO.h"
#include "cli/CliSource.h"
#include "preview/GltfExport.h"
#include "preview/Model.h"
#include "preview/ModelMesh.h"
#include "preview/ModelTextures.h"

using namespace korvane;

namespace {

struct TDffOptions {
    std::string source;
    std::optional<std::string> index;
    std::optional<std::string> obj;
    std::optional<std::string> gltf;
    std::vector<std::string> txd;  // loose dictionaries, searched in order
};

TDffOptions ParseDffOptions(const std::vector<std::string>& args)
{
    TDffOptions o;
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--obj" || a == "--gltf" || a == "--txd") {
            if (i + 1 >= args.size()) throw UsageError("option " + a + " needs a file");
            const std::string& file = args[++i];
            if (a == "--obj")
                o.obj = file;
            else if (a == "--gltf")
                o.gltf = file;
            else
                o.txd.push_back(file);
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty()) throw UsageError("no SOURCE given");
    if (!o.txd.empty() && !o.gltf) throw UsageError("--txd goes with --gltf");
    if (positional.size() > 2) throw UsageError("too many arguments");
    o.source = positional[0];
    if (positional.size() == 2) o.index = positional[1];
    return o;
}

// Fixed with six decimals and a "." whatever the locale; "nan" for any NaN.
std::string RadiusText(float r)
{
    if (std::isnan(r)) return "nan";
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 6);
    return std::string(buf, res.ptr);
}

// The shortest text that reads back as the same float, locale-free.
void AppendFloat(std::string& s, float v)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, res.ptr);
}

// The meshes as Wavefront OBJ, through a fixed buffer.
void WriteObj(const std::string& path, const std::vector<std::vector<TMeshVertex>>& meshes)
{
    TFile file = TFile::Create(path);
    std::string buf;
    auto flush = [&](bool force) {
        if (force || buf.size() >= 60000) {
            file.Write(buf.data(), buf.size());
            buf.clear();
        }
    };
    uint64_t base = 1;
    for (size_t i = 0; i < meshes.size(); ++i) {
        const auto& mesh = meshes[i];
        buf += "o part_" + std::to_string(i + 1) + "\n";
        auto line = [&](const char* tag, const auto& p) {
            buf += tag;
            for (float c : {p.X, p.Y, p.Z}) {
                buf += ' ';
                AppendFloat(buf, c);
            }
            buf += '\n';
            flush(false);
        };
        for (const TMeshVertex& v : mesh) line("v", v.Position);
        for (const TMeshVertex& v : mesh) line("vn", v.Normal);
        for (uint64_t k = 0; k + 2 < mesh.size(); k += 3) {
            const std::string a = std::to_string(base + k), b = std::to_string(base + k + 1),
                              c = std::to_string(base + k + 2);
            buf += "f " + a + "//" + a + " " + b + "//" + b + " " + c + "//" + c + "\n";
            flush(false);
        }
        base += mesh.size();
    }
    flush(true);
    file.Close();
}

// The model as glTF, textured from the archive's dictionary of the model's
// name and the loose ones given, in that order.
void ExportGltf(const TDffOptions& o, const TCliSource& source, bool inArchive, const TModelRead& read,
                std::ostream& err)
{
    std::vector<TDictionarySource> sources;
    if (inArchive) {
        const Catalogue cat = OpenCatalogue(o.source);
        if (const auto k = CompanionDictionary(cat.Entries, source.Name)) {
            const uint64_t start = EntryBytePos(cat.ArchiveKind, cat.Entries[*k]);
            sources.push_back({cat.ArchivePath, start, start + EntryByteLen(cat.ArchiveKind, cat.Entries[*k])});
        }
    }
    for (const std::string& path : o.txd) sources.push_back({path, 0});
    std::vector<std::exception_ptr> failures;
    const TModelTextures textures = FindModelTextures(read, sources, &failures);
    if (!failures.empty()) std::rethrow_exception(failures.front());
    if (!read.SceneError.empty())
        err << "korvane-cli: warning: the model's frames and materials could not be read (" << read.SceneError
            << "); its parts are exported as stored, untextured\n";
    const std::vector<TModelPlacement> placements = AssembleModel(read);
    const std::vector<bool> all(placements.size(), true);
    WriteGltfFile(*o.gltf, GltfBytes(read, placements, all, textures, std::string(NameStem(source.Name))));
}

}  // namespace

void DffUsage(std::ostream& out)
{
    out << "usage: korvane-cli dff SOURCE [INDEX] [--obj FILE] [--gltf FILE.glb [--txd TXD]...]\n"
           "  Reads the model that entry INDEX (its number in the list) of the archive\n"
           "  SOURCE holds, or the loose model file SOURCE when no INDEX is given, and\n"
           "  prints one line per part: its name, vertex count, triangle count and\n"
           "  bounding radius, separated by tabs; then the totals as the window shows them.\n"
           "  --obj FILE also writes the parts as the view draws them, every part\n"
           "  checked and none selected, as a Wavefront OBJ file.\n"
           "  --gltf FILE.glb also writes the model assembled by its frames, every part\n"
           "  with its materials and textures, as a binary glTF 2.0 file. Textures come\n"
           "  from the archive's dictionary of the model's name (NAME.txd) and then from\n"
           "  each loose dictionary given with --txd, in order.\n";
}

int DffCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TDffOptions o;
    std::optional<uint32_t> index;
    auto parse = [&] {
        TDffOptions parsed = ParseDffOptions(args);
        if (parsed.index) {
            index = ParseEntryIndex(*parsed.index);
            if (!index) throw UsageError("INDEX must be an entry number, not '" + *parsed.index + "'");
        }
        return parsed;
    };
    if (auto code = ParseVerb("dff", args, out, err, DffUsage, parse, o)) return *code;

    TCliSource source = OpenCliSource(o.source, index);
    const TEntryBytes bytes = ReadSourceBytes(source);
    TSectionCursor in(bytes.Bytes, bytes.Path);
    if (!in.StartsWithin(0, in.Size(), rwClump)) RaiseHoldsNo(source, "model");
    TModelRead read;
    std::exception_ptr failure;
    try {
        ReadModel(in, read);
    } catch (...) {
        failure = std::current_exception();
    }
    for (size_t i = 0; i < read.Parts.size(); ++i) {
        const TModelPart& p = read.Parts[i];
        out << "< Часть #" << i + 1 << " >\t" << p.Positions.size() << '\t' << p.Triangles.size() << '\t'
            << RadiusText(p.Radius) << '\n';
    }
    out.flush();
    if (failure) std::rethrow_exception(failure);
    out << ModelTotalsText(read.VertexTotal, read.TriangleTotal) << '\n';
    out.flush();
    if (o.obj) {
        const std::vector<bool> checked(read.Parts.size(), true);
        WriteObj(*o.obj, BuildModelMeshes(read.Parts, read.Parts.size(), checked, -1));
    }
    if (o.gltf) ExportGltf(o, source, index.has_value(), read, err);
    return 0;
}
