// Exporting a model of a million triangles with four 1024² textures as
// binary glTF, beside the work such an export cannot avoid.
//
//   Export       GltfBytes: primitives by material, PNG-embedded textures,
//                the JSON and the GLB framing, all in memory
//   MeshAndPng   the baseline: BuildModelMeshes with every part checked plus
//                encoding the four textures with libpng (RGBA for the two
//                with alpha, RGB for the others)
//
// Target: Export at most 2× MeshAndPng. The model: 16 parts of 62,500
// triangles over 32,768 vertices with stored normals and one texture-
// coordinate set, four textured materials each, a frame and an atomic each.

#include <benchmark/benchmark.h>
#include <png.h>

#include <random>
#include <string>

#include "preview/GltfExport.h"
#include "preview/ModelMesh.h"
#include "preview/ModelScene.h"

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
        img.Rgba.resize(size_t(kTextureSide) * kTextureSide * 4);
        for (size_t i = 0; i < img.Rgba.size(); i += 4) {
            const unsigned x = unsigned(i / 4) % kTextureSide, y = unsigned(i / 4) / kTextureSide;
            const unsigned grain = rng() & 15;
            img.Rgba[i] = uint8_t((x / 4 + grain) & 255);
            img.Rgba[i + 1] = uint8_t((y / 4 + grain) & 255);
            img.Rgba[i + 2] = uint8_t(((x + y) / 8 + k * 40) & 255);
            img.Rgba[i + 3] = img.HasAlpha ? uint8_t(255 - (x / 8)) : 255;
        }
        t.Images.push_back(std::move(img));
    }
    t.ByMaterial.assign(kParts, {0, 1, 2, 3});
    return t;
}

void AppendPng(png_structp png, png_bytep data, png_size_t n)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

std::string LibpngBytes(const TModelImage& img)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, png_uint_32(img.Width), png_uint_32(img.Height), 8,
                 img.HasAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (!img.HasAlpha) png_set_filler(png, 0, PNG_FILLER_AFTER);  // rows keep their fourth byte
    for (int y = 0; y < img.Height; ++y)
        png_write_row(png, const_cast<png_bytep>(img.Rgba.data() + size_t(y) * size_t(img.Width) * 4));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
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
            const std::string png = LibpngBytes(img);
            benchmark::DoNotOptimize(png.data());
        }
    }
}

BENCHMARK(Export)->Unit(benchmark::kMillisecond);
BENCHMARK(MeshAndPng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
