// Reading and mesh-building a model of a million triangles, beside a baseline
// that copies as many bytes as the meshes hold.
//
//   ReadAndBuild/<normals>  ReadModel from the file (page cache) and
//                           BuildModelMeshes with every part checked
//   GeometryAndBuild/<normals>  the same, reading the geometry alone (no
//                           frames, atomics or materials): the baseline
//                           the full read may exceed by at most 10%
//   Read/<normals>          ReadModel alone
//   Build/<normals>         BuildModelMeshes alone
//   CopyMeshBytes           memcpy of 3 x triangles x 48 bytes into a fresh
//                           buffer: the output the mesh build must write
//
// <normals> 1: the file stores normals; 0: flat normals are computed.
// The model: 16 parts of 62,500 triangles over 32,768 vertices each, with
// one texture-coordinate set, four textured materials each, a frame each
// under a root frame, and an atomic each. "ns_per_tri" is time per triangle.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

#include "archive/EntryBytes.h"
#include "base/FileIO.h"
#include "formats/dff/Model.h"
#include "formats/dff/ModelMesh.h"

namespace korvane {
namespace {

constexpr int kParts = 16;
constexpr uint32_t kTrianglesPerPart = 62500;
constexpr uint32_t kVerticesPerPart = 32768;
constexpr uint64_t kTriangles = uint64_t(kParts) * kTrianglesPerPart;

void Put32(std::string& s, uint32_t v)
{
    for (int k = 0; k < 4; ++k) s += char(v >> (8 * k));
}
void PutF(std::string& s, float f)
{
    uint32_t b;
    std::memcpy(&b, &f, 4);
    Put32(s, b);
}
std::string Section(uint32_t id, const std::string& body)
{
    std::string s;
    Put32(s, id);
    Put32(s, uint32_t(body.size()));
    Put32(s, 0x1803FFFF);
    return s + body;
}

std::string ModelFile(bool normals)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-10, 10);
    std::string list = Section(rwStruct, std::string(4, '\0'));
    for (int p = 0; p < kParts; ++p) {
        std::string b;
        b += char(0x04 | (normals ? 0x10 : 0));
        b += '\0';
        b += '\1';
        b += '\0';
        Put32(b, kTrianglesPerPart);
        Put32(b, kVerticesPerPart);
        Put32(b, 1);
        for (uint32_t v = 0; v < kVerticesPerPart; ++v) PutF(b, coord(rng)), PutF(b, coord(rng));
        for (uint32_t t = 0; t < kTrianglesPerPart; ++t)
            for (uint32_t k : {t % kVerticesPerPart, (t + 1) % kVerticesPerPart, t % 4, (t + 2) % kVerticesPerPart})
                b += char(k), b += char(k >> 8);
        PutF(b, 0), PutF(b, 0), PutF(b, 0), PutF(b, 20);
        Put32(b, 1), Put32(b, normals);
        for (uint32_t v = 0; v < 3 * kVerticesPerPart; ++v) PutF(b, coord(rng));
        if (normals)
            for (uint32_t v = 0; v < kVerticesPerPart; ++v) PutF(b, 0), PutF(b, 0), PutF(b, 1);
        std::string materials;
        Put32(materials, 4);
        for (int m = 0; m < 4; ++m) Put32(materials, 0xFFFFFFFF);
        materials = Section(rwStruct, materials);
        for (int m = 0; m < 4; ++m) {
            std::string st;
            Put32(st, 0), Put32(st, 0xFFFFFFFF), Put32(st, 0), Put32(st, 1), PutF(st, 1), PutF(st, 1), PutF(st, 1);
            const std::string name = "texture" + std::to_string(m) + std::string(4, '\0');
            const std::string texture =
                Section(rwTexture, Section(rwStruct, std::string(4, '\0')) + Section(rwString, name) + Section(rwString, std::string(4, '\0')) +
                                  Section(rwExtension, ""));
            materials += Section(rwMaterial, Section(rwStruct, st) + texture + Section(rwExtension, ""));
        }
        list += Section(rwGeometry, Section(rwStruct, b) + Section(rwMaterialList, materials) + Section(rwExtension, ""));
    }
    // A root frame and one frame per part under it, each named.
    std::string frames;
    Put32(frames, kParts + 1);
    std::string names;
    for (int f = 0; f <= kParts; ++f) {
        for (float v : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, float(f), 0.f, 0.f}) PutF(frames, v);
        Put32(frames, f == 0 ? 0xFFFFFFFF : 0), Put32(frames, 0);
        names += Section(rwExtension, Section(rwFrameName, "part" + std::to_string(f)));
    }
    std::string atomics;
    for (int p = 0; p < kParts; ++p) {
        std::string st;
        Put32(st, p + 1), Put32(st, p), Put32(st, 5), Put32(st, 0);
        atomics += Section(rwAtomic, Section(rwStruct, st) + Section(rwExtension, ""));
    }
    std::string clump = Section(rwStruct, std::string("\x10\0\0\0\0\0\0\0\0\0\0\0", 12)) +
                        Section(rwFrameList, Section(rwStruct, frames) + names) + Section(rwGeometryList, list) + atomics;
    return Section(rwClump, clump);
}

struct TModelFile {
    std::string path;
    explicit TModelFile(bool normals)
    {
        char name[] = "/tmp/korvane_model_bench_XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        const std::string bytes = ModelFile(normals);
        if (write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
        close(fd);
    }
    ~TModelFile() { std::remove(path.c_str()); }
};

TModelRead ReadFile(const std::string& path, bool scene = true)
{
    const TEntryBytes bytes = ReadFileBytes(path);
    TSectionCursor f(bytes.Bytes, bytes.Path);
    TModelRead r;
    ReadModel(f, r, scene);
    if (scene && (r.Atomics.size() != kParts || r.Parts[0].Materials.size() != 4)) std::abort();
    return r;
}

void PerTriangle(benchmark::State& state)
{
    state.counters["ns_per_tri"] =
        benchmark::Counter(double(kTriangles) * double(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void ReadAndBuild(benchmark::State& state)
{
    const TModelFile file(state.range(0) != 0);
    const std::vector<bool> checked(kParts, true);
    for (auto _ : state) {
        const TModelRead r = ReadFile(file.path);
        auto meshes = BuildModelMeshes(r.Parts, r.Parts.size(), checked, -1);
        benchmark::DoNotOptimize(meshes.data());
    }
    PerTriangle(state);
}

void GeometryAndBuild(benchmark::State& state)
{
    const TModelFile file(state.range(0) != 0);
    const std::vector<bool> checked(kParts, true);
    for (auto _ : state) {
        const TModelRead r = ReadFile(file.path, false);
        auto meshes = BuildModelMeshes(r.Parts, r.Parts.size(), checked, -1);
        benchmark::DoNotOptimize(meshes.data());
    }
    PerTriangle(state);
}

void Read(benchmark::State& state)
{
    const TModelFile file(state.range(0) != 0);
    for (auto _ : state) {
        const TModelRead r = ReadFile(file.path);
        benchmark::DoNotOptimize(r.Parts.data());
    }
    PerTriangle(state);
}

void Build(benchmark::State& state)
{
    const TModelFile file(state.range(0) != 0);
    const TModelRead r = ReadFile(file.path);
    const std::vector<bool> checked(kParts, true);
    for (auto _ : state) {
        auto meshes = BuildModelMeshes(r.Parts, r.Parts.size(), checked, -1);
        benchmark::DoNotOptimize(meshes.data());
    }
    PerTriangle(state);
}

void CopyMeshBytes(benchmark::State& state)
{
    const size_t bytes = 3 * kTriangles * sizeof(TMeshVertex);
    const std::unique_ptr<char[]> src(new char[bytes]);
    std::memset(src.get(), 1, bytes);
    for (auto _ : state) {
        std::unique_ptr<char[]> dst(new char[bytes]);
        std::memcpy(dst.get(), src.get(), bytes);
        benchmark::DoNotOptimize(dst.get());
    }
    PerTriangle(state);
}

BENCHMARK(ReadAndBuild)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(GeometryAndBuild)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(Read)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(Build)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyMeshBytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
