// Listing the real collision file of 2,153 models and building the selected
// model's mesh, beside copying the file's bytes.
//
//   ReadAndBuild   ReadCollisionFile over the file's bytes in memory (every
//                  model indexed and checked), then DecodeCollisionModel and
//                  BuildCollisionMesh (shadow mesh included) of the model
//                  with the most faces: at most twice CopyFileBytes
//   ReadAll        ReadCollisionFile alone
//   CopyFileBytes  memcpy of the file's bytes into a fresh buffer: what
//                  reading the entry into memory costs at the least
//   ReadFile       the file read whole from the page cache (ReadFileBytes),
//                  as every preview reads its entry first
//
// Needs ../shared/realdata/col/mta_editor_patches.col; skipped without it.

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "archive/EntryBytes.h"
#include "base/FileIO.h"
#include "formats/col/CollisionMesh.h"

namespace korvane {
namespace {

const TEntryBytes* RealFile()
{
    static const std::unique_ptr<TEntryBytes> bytes = [] {
        const std::string path = std::string(KORVANE_REALDATA_DIR) + "/col/mta_editor_patches.col";
        return FileExists(path) ? std::make_unique<TEntryBytes>(ReadFileBytes(path)) : nullptr;
    }();
    return bytes.get();
}

void ReadAndBuild(benchmark::State& state)
{
    const TEntryBytes* file = RealFile();
    if (!file) return state.SkipWithError("col/mta_editor_patches.col is not there");
    std::vector<TCollisionModel> probe;
    ReadCollisionFile(file->Bytes, probe);
    size_t selected = 0;
    for (size_t i = 0; i < probe.size(); ++i)
        if (probe[i].Faces > probe[selected].Faces) selected = i;
    state.counters["faces"] = probe[selected].Faces;
    for (auto _ : state) {
        std::vector<TCollisionModel> models;
        ReadCollisionFile(file->Bytes, models);
        const TCollisionMesh mesh = BuildCollisionMesh(DecodeCollisionModel(file->Bytes, models[selected]), true);
        benchmark::DoNotOptimize(mesh.Faces.data());
    }
    state.counters["models"] = double(probe.size());
}

void ReadAll(benchmark::State& state)
{
    const TEntryBytes* file = RealFile();
    if (!file) return state.SkipWithError("col/mta_editor_patches.col is not there");
    for (auto _ : state) {
        std::vector<TCollisionModel> models;
        ReadCollisionFile(file->Bytes, models);
        benchmark::DoNotOptimize(models.data());
    }
}

void CopyFileBytes(benchmark::State& state)
{
    const TEntryBytes* file = RealFile();
    if (!file) return state.SkipWithError("col/mta_editor_patches.col is not there");
    const size_t size = file->Bytes.size();
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> dst(new uint8_t[size]);
        std::memcpy(dst.get(), file->Bytes.data(), size);
        benchmark::DoNotOptimize(dst.get());
    }
}

std::string RealPath() { return std::string(KORVANE_REALDATA_DIR) + "/col/mta_editor_patches.col"; }

void ReadFile(benchmark::State& state)
{
    if (!RealFile()) return state.SkipWithError("col/mta_editor_patches.col is not there");
    for (auto _ : state) {
        const TEntryBytes bytes = ReadFileBytes(RealPath());
        benchmark::DoNotOptimize(bytes.Bytes.data());
    }
}

BENCHMARK(ReadAndBuild)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadAll)->Unit(benchmark::kMicrosecond);
BENCHMARK(CopyFileBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
