// Reading directories and opening archives into the window, each beside a
// baseline measured in the same run:
//   - the VER2 directory read of 1,000,000 entries against reading the same
//     bytes through the same buffer size;
//   - Load into the window of 200,000 entries against the bare directory
//     read of the same archive.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/MainWindow.h"
#include "WindowBench.h"
#include "app/list/EntryListModel.h"
#include "archive/ArchiveOpen.h"
#include "base/ByteOrder.h"
#include "base/FileIO.h"

using namespace korvane;

namespace {

// A VER2 archive of n entries (directory only; data is never read on open).
std::string MakeVer2(uint32_t n)
{
    const std::string path = "/tmp/korvane-bench-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".img";
    std::string bytes(8 + size_t(n) * 32, '\0');
    std::memcpy(bytes.data(), "VER2", 4);
    StoreLE32(reinterpret_cast<uint8_t*>(bytes.data()) + 4, n);
    for (uint32_t i = 0; i < n; ++i) {
        uint8_t* rec = reinterpret_cast<uint8_t*>(bytes.data()) + 8 + size_t(i) * 32;
        StoreLE32(rec, i * 3 + 1);
        StoreLE32(rec + 4, (i * 7919u) % 500 + 1);
        std::snprintf(reinterpret_cast<char*>(rec + 8), 24, "ENTRY%07u.TXD", i);
    }
    TFile f = TFile::Create(path);
    f.Write(bytes.data(), bytes.size());
    return path;
}

struct TArchives {
    std::string million = MakeVer2(1000000);
    std::string twoHundredK = MakeVer2(200000);
    ~TArchives()
    {
        std::remove(million.c_str());
        std::remove(twoHundredK.c_str());
    }
};
TArchives* archives = nullptr;

void PerEntry(benchmark::State& state, uint32_t n)
{
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
    state.counters["ns/entry"] = benchmark::Counter(double(state.iterations()) * n,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Baseline: the directory's bytes read through the reader, nothing decoded.
void BM_ReadBytesOnly_1M(benchmark::State& state)
{
    for (auto _ : state) {
        TFile f = TFile::OpenReadWrite(archives->million);
        TBufferedReader in(f);
        uint8_t rec[32];
        uint32_t sum = 0;
        for (uint32_t i = 0; i < 1000000; ++i) {
            in.Read(rec, 32);
            sum += rec[0];
        }
        benchmark::DoNotOptimize(sum);
    }
    PerEntry(state, 1000000);
}
BENCHMARK(BM_ReadBytesOnly_1M)->Unit(benchmark::kMillisecond);

void BM_ReadDirectoryVer2_1M(benchmark::State& state)
{
    const TArchiveLocation where = LocateArchive(archives->million);
    for (auto _ : state) {
        TRecArray entries = ReadDirectory(where);
        benchmark::DoNotOptimize(entries.data());
    }
    PerEntry(state, 1000000);
}
BENCHMARK(BM_ReadDirectoryVer2_1M)->Unit(benchmark::kMillisecond);

void BM_ReadDirectoryVer2_200K(benchmark::State& state)
{
    const TArchiveLocation where = LocateArchive(archives->twoHundredK);
    for (auto _ : state) {
        TRecArray entries = ReadDirectory(where);
        benchmark::DoNotOptimize(entries.data());
    }
    PerEntry(state, 200000);
}
BENCHMARK(BM_ReadDirectoryVer2_200K)->Unit(benchmark::kMillisecond);

// The window's Load until the list is ready: the view has taken the new rows
// and painted, and the previous archive's catalogue has been released, as in
// real use.
void BM_WindowLoad_200K(benchmark::State& state)
{
    NoPrompts prompts;
    TMainWindow form(prompts, {});
    form.show();
    for (auto _ : state) {
        form.Load(archives->twoHundredK);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(form.ListModel()->rowCount());
    }
    PerEntry(state, 200000);
}
BENCHMARK(BM_WindowLoad_200K)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TArchives files;
    archives = &files;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
