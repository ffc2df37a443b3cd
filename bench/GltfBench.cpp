// Exporting a model of a million triangles with four 1024² textures as
// binary glTF, beside the work such an export cannot avoid.
//
//   Export       GltfBytes: primitives by material, PNG-embedded textures,
//                the JSON and the GLB framing, all in memory
//   MeshAndPng   the baseline: BuildModelMeshes with every part checked plus
//                encoding the four textures with libpng through PngBytes
//                (RGBA for the two with alpha, RGB for the others)
//
// Target: Export at most 2× MeshAndPng. The model: 16 parts of 62,500
// triangles over 32,768 vertices with stored normals and one texture-
// coordinate set, four textured materials each, a frame and an atomic each.

#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "formats/dff/GltfExport.h"
#include "formats/dff/ModelMesh.h"
#include "formats/dff/ModelScene.h"
#include "formats/picture/PngWriter.h"

namespace korvane {
namespace {

constexpr int kParts = 16;
constexpr uint32_t kTrianglesPerPart = 62500;
constexpr uint32_t kVerticesPerPart = 32768;
constexpr int kTextureSide = 1024;

TModelRead MakeModel()
{
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> coord(-10, 10);
    TModelRead m;
    m.Frames.resize(kParts + 1);
    for (int p = 0; p < kParts; ++p) {
        m.Frames[size_t(p) + 1].Parent = 0;
        m.Frames[size_t(p) + 1].Position = {float(p), 0, 0};
        m.Atomics.push_back({uint32_t(p) + 1, uint32_t(p)});
        TModelPart part;
        part.Flags = gfNormals | gfTexCoords;
        part.TexCoordSets = 1;
        for (uint32_t v = 0; v < kVerticesPerPart; ++v) {
            part.Positions.push_back({coord(rng), coord(rng), coord(rng)});
            part.Normals.push_back({0, 0, 1});
            part.TexCoords.push_back({coord(rng), coord(rng)});
        }
        for (uint32_t t = 0; t < kTrianglesPerPart; ++t)
            part.Triangles.push_back({uint16_t(t % kVerticesPerPart), uint16_t((t + 1) % kVerticesPerPart),
                                      uint16_t(t % 4), uint16_t((t + 2) % kVerticesPerPart)});
        for (int k = 0; k < 4; ++k) part.Materials.push_back({{255, 255, 255, 255}, true, "texture" + std::to_string(k), ""});
        m.Parts.push_back(std::move(part));
    }
    return m;
}

// Texture-like pictures: smooth shading with some grain.
TModelTextures MakeTextures()
{
    TModelTextures t;
    std::mt19937 rng(5);
    for (int k = 0; k < 4; ++k) {
        TModelImage img{"texture" + std::to_string(k), kTextureSide, kTextureSide, k < 2, {}};
        img.Bgra.resize(size_t(kTextureSide) * kTextureSide * 4);
        for (size_t i = 0; i < img.Bgra.size(); i += 4) {
            const unsigned x = unsigned(i / 4) % kTextureSide, y = unsigned(i / 4) / kTextureSide;
            const unsigned grain = rng() & 15;
            img.Bgra[i] = uint8_t((x / 4 + grain) & 255);
            img.Bgra[i + 1] = uint8_t((y / 4 + grain) & 255);
            img.Bgra[i + 2] = uint8_t(((x + y) / 8 + k * 40) & 255);
            img.Bgra[i + 3] = img.HasAlpha ? uint8_t(255 - (x / 8)) : 255;
        }
        t.Images.push_back(std::move(img));
    }
    t.ByMaterial.assign(kParts, {0, 1, 2, 3});
    return t;
}

struct TFixture {
    TModelRead model = MakeModel();
    TModelTextures textures = MakeTextures();
    std::vector<TModelPlacement> placements = AssembleModel(model);
    std::vector<bool> all = std::vector<bool>(placements.size(), true);
};

TFixture& Fixture()
{
    static TFixture f;
    return f;
}

void Export(benchmark::State& state)
{
    TFixture& f = Fixture();
    for (auto _ : state) {
        const std::string glb = GltfBytes(f.model, f.placements, f.all, f.textures, "bench");
        benchmark::DoNotOptimize(glb.data());
        state.counters["MB"] = double(glb.size()) / 1e6;
    }
}

void MeshAndPng(benchmark::State& state)
{
    TFixture& f = Fixture();
    const std::vector<bool> checked(f.model.Parts.size(), true);
    for (auto _ : state) {
        auto meshes = BuildModelMeshes(f.model.Parts, f.model.Parts.size(), checked, -1);
        benchmark::DoNotOptimize(meshes.data());
        for (const TModelImage& img : f.textures.Images) {
            const std::string png =
                PngBytes(img.Bgra.data(), img.Width, img.Height, img.HasAlpha ? TPngChannels::Rgba : TPngChannels::Rgb);
            benchmark::DoNotOptimize(png.data());
        }
    }
}

BENCHMARK(Export)->Unit(benchmark::kMillisecond);
BENCHMARK(MeshAndPng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
