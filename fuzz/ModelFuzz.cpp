// libFuzzer target: the bytes are read as a model and its meshes are built,
// flat and assembled by its frames, and it is written as glTF.
// Any input must end in parts or in a clear error, never a crash, a hang or
// an allocation the file's length cannot justify.
#include <cstdint>
#include <string>

#include "base/Errors.h"
#include "formats/dff/GltfExport.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelMesh.h"
#include "formats/dff/ModelScene.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TModelRead read;
    try {
        TSectionCursor in(TByteSpan(data, size));
        ReadModel(in, read);
    } catch (const EInOutError&) {
    } catch (const ERangeError&) {
    }
    // What was read must make meshes within the parts' own bounds.
    const std::vector<bool> checked(read.Parts.size(), true);
    const auto meshes = BuildModelMeshes(read.Parts, read.Parts.size(), checked, 0);
    for (size_t i = 0; i < meshes.size(); ++i)
        if (meshes[i].size() > 3 * read.Parts[i].Triangles.size()) __builtin_trap();
    // Every placement names a part that was read; its mesh stays within it.
    const std::vector<TModelPlacement> placements = AssembleModel(read);
    const std::vector<bool> all(placements.size(), true);
    const auto scene = BuildSceneMeshes(read, placements, TModelTextures{}, all, 0);
    for (size_t i = 0; i < placements.size(); ++i) {
        if (placements[i].Geometry >= read.Parts.size()) __builtin_trap();
        if (scene[i].Vertices.size() > 3 * read.Parts[placements[i].Geometry].Triangles.size()) __builtin_trap();
    }
    const std::string glb = GltfBytes(read, placements, all, TModelTextures{}, "fuzz");
    if (glb.compare(0, 4, "glTF") != 0) __builtin_trap();
    return 0;
}
