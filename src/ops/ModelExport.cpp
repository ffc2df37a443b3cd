#include "ops/ModelExport.h"

#include "formats/dff/GltfExport.h"
#include "formats/dff/ModelMesh.h"
#include "ops/ObjText.h"

namespace korvane::ops {

namespace {

// The meshes as Wavefront OBJ.
void WriteObj(const std::string& path, const std::vector<std::vector<TMeshVertex>>& meshes)
{
    TObjText obj(path);
    uint64_t base = 1;
    for (size_t i = 0; i < meshes.size(); ++i) {
        const auto& mesh = meshes[i];
        obj.Line("o part_" + std::to_string(i + 1));
        for (const TMeshVertex& v : mesh) obj.Triple("v", v.Position.X, v.Position.Y, v.Position.Z);
        for (const TMeshVertex& v : mesh) obj.Triple("vn", v.Normal.X, v.Normal.Y, v.Normal.Z);
        for (uint64_t k = 0; k + 2 < mesh.size(); k += 3) {
            const std::string a = std::to_string(base + k), b = std::to_string(base + k + 1),
                              c = std::to_string(base + k + 2);
            obj.Line("f " + a + "//" + a + " " + b + "//" + b + " " + c + "//" + c);
        }
        base += mesh.size();
    }
    obj.Close();
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
