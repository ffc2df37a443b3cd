#include "ops/ModelExport.h"

#include <charconv>

#include "archive/FileIO.h"
#include "preview/GltfExport.h"
#include "preview/ModelMesh.h"

namespace korvane::ops {

namespace {

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

}  // namespace

void ExportObj(const TModelRead& model, const std::string& path)
{
    const std::vector<bool> checked(model.Parts.size(), true);
    WriteObj(path, BuildModelMeshes(model.Parts, model.Parts.size(), checked, -1));
}

TModelTextures ModelTexturesFor(const TModelRead& model, const Catalogue* cat, std::string_view modelName,
                                const std::vector<std::string>& looseDictionaries)
{
    std::vector<std::exception_ptr> failures;
    TModelTextures textures = FindModelTextures(model, ModelDictionaries(cat, modelName, looseDictionaries), &failures);
    if (!failures.empty()) std::rethrow_exception(failures.front());
    return textures;
}

void ExportGltf(const TModelRead& model, const TModelTextures& textures, std::string_view modelName,
                const std::string& path, std::vector<bool> included, const TVehiclePaint& paint)
{
    const std::vector<TModelPlacement> placements = AssembleModel(model);
    if (included.empty()) included.assign(placements.size(), true);
    WriteGltfFile(path, GltfBytes(model, placements, included, textures, std::string(NameStem(modelName)), paint));
}

}  // namespace korvane::ops
