// Repacking a VER2 archive beside copying the same archive with cp in the
// same run:
//   - cp alone, and cp followed by flushing the copy to the disk (repacking
//     flushes the new archive before it replaces the old one);
//   - RepackArchive;
//   - the two last ones in turns within each iteration (BM_RepackVsDurableCp),
//     each started with nothing waiting to be written, whose counter
//     "repack/cp" is the ratio of the total times and "median_repack/cp" the
//     middle one of the ratios within each iteration.
// Throughput counts the archive's length for each, so the ratio of the rates
// is the ratio of the times.
//
// The archive is 64 MiB by default; KORVANE_REPACK_BENCH_MB sets its size
// (1024 for the 1 GiB figure), KORVANE_REPACK_BENCH_ENTRIES the number of
// entries (default 10000), KORVANE_REPACK_BENCH_GAP the percentage of the
// data area left unused between them (default 30) and KORVANE_BENCH_DIR the
// folder (default /tmp), which should be on a real disk, not in memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "archive/ArchiveOpen.h"
#include "archive/Repack.h"
#include "base/ByteOrder.h"
#include "base/FileIO.h"

extern char** environ;

using namespace korvane;

namespace {

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : fallback;
}

uint64_t ArchiveBytes() { return std::max<uint64_t>(EnvNumber("KORVANE_REPACK_BENCH_MB", 64), 32) << 20; }
const uint32_t kEntries = uint32_t(std::clamp<uint64_t>(EnvNumber("KORVANE_REPACK_BENCH_ENTRIES", 10000), 1, 10000));
const uint64_t kGapPercent = std::min<uint64_t>(EnvNumber("KORVANE_REPACK_BENCH_GAP", 30), 90);

std::string BenchDir()
{
    const char* d = std::getenv("KORVANE_BENCH_DIR");
    return d && *d ? d : "/tmp";
}

// Entries of random sizes in file order, each followed by a gap, the gaps
// making kGapPercent of the data area.
struct TSource {
    std::string path;
    std::string copy;
    std::string work;
    uint64_t length = 0;

    TSource()
    {
        const std::string stem = BenchDir() + "/korvane-repack-bench-" + std::to_string(::getpid());
        path = stem + ".img";
        copy = stem + "-copy.img";
        work = stem + "-work.img";
        const uint64_t sectors = ArchiveBytes() / SectorSize;
        const uint64_t headerSectors = (8 + 32 * kEntries) / SectorSize + 1 + 1;
        const uint64_t dataSectors = sectors - headerSectors;
        std::mt19937 rng(7);
        std::vector<uint64_t> weights(kEntries);
        uint64_t sum = 0;
        for (uint64_t& w : weights) sum += (w = 1 + rng() % 1000);

        std::string header(headerSectors * SectorSize, '\0');
        std::memcpy(header.data(), "VER2", 4);
        StoreLE32(reinterpret_cast<uint8_t*>(header.data()) + 4, kEntries);
        TFile f = TFile::Create(path);
        std::vector<char> block(SectorSize);
        uint64_t sector = headerSectors;
        uint64_t cumulative = 0;
        for (uint32_t i = 0; i < kEntries; ++i) {
            const uint64_t share =
                dataSectors * (cumulative + weights[i]) / sum - dataSectors * cumulative / sum;
            cumulative += weights[i];
            const uint64_t used = std::max<uint64_t>(1, share * (100 - kGapPercent) / 100);
            uint8_t* rec = reinterpret_cast<uint8_t*>(header.data()) + 8 + 32 * i;
            StoreLE32(rec, uint32_t(sector));
            StoreLE32(rec + 4, uint32_t(used));
            std::snprintf(reinterpret_cast<char*>(rec + 8), 24, "ENTRY%05u.TXD", i);
            f.Seek(sector * SectorSize);
            for (uint64_t k = 0; k < used; ++k) {
                for (size_t b = 0; b < block.size(); b += 64) block[b] = char(rng());
                f.Write(block.data(), block.size());
            }
            sector += std::max(share, used);
        }
        f.Truncate(sector * SectorSize);
        f.Seek(0);
        f.Write(header.data(), header.size());
        length = f.Size();
        f.Close();
    }
    ~TSource()
    {
        std::remove(path.c_str());
        std::remove(copy.c_str());
        std::remove(work.c_str());
    }
};
TSource* source = nullptr;

void Run(std::vector<const char*> argv)
{
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv.data()), environ) != 0) std::abort();
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
}

void Bytes(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source->length));
    state.counters["MiB"] = double(source->length) / (1 << 20);
}

void BM_Cp(benchmark::State& state)
{
    for (auto _ : state) {
        Run({"cp", source->path.c_str(), source->copy.c_str()});
        state.PauseTiming();
        std::remove(source->copy.c_str());
        state.ResumeTiming();
    }
    Bytes(state);
}

void BM_CpThenSync(benchmark::State& state)
{
    for (auto _ : state) {
        Run({"cp", source->path.c_str(), source->copy.c_str()});
        Run({"sync", source->copy.c_str()});
        state.PauseTiming();
        std::remove(source->copy.c_str());
        state.ResumeTiming();
    }
    Bytes(state);
}

void BM_Repack(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        // A second name for the same bytes: the repack replaces it, the
        // source stays for the next round.
        std::remove(source->work.c_str());
        if (::link(source->path.c_str(), source->work.c_str()) != 0) std::abort();
        const Catalogue cat = OpenCatalogue(source->work);
        state.ResumeTiming();
        RepackArchive(cat);
    }
    Bytes(state);
}

double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// A durable copy and a repack in turns, the order swapping every iteration,
// each after the disk has taken everything still waiting: both meet the same
// machine. The iteration's time is the repack's.
void BM_RepackVsDurableCp(benchmark::State& state)
{
    double cpTotal = 0, repackTotal = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        double t = 0, cp = 0;
        for (int turn = 0; turn < 2; ++turn) {
            std::remove(source->copy.c_str());
            std::remove(source->work.c_str());
            if (::link(source->path.c_str(), source->work.c_str()) != 0) std::abort();
            const Catalogue cat = OpenCatalogue(source->work);
            ::sync();
            if ((turn == 0) == (state.iterations() % 2 == 0)) {
                cp = Seconds([] {
                    Run({"cp", source->path.c_str(), source->copy.c_str()});
                    Run({"sync", source->copy.c_str()});
                });
            } else {
                t = Seconds([&] { RepackArchive(cat); });
            }
        }
        cpTotal += cp;
        repackTotal += t;
        ratios.push_back(t / cp);
        state.SetIterationTime(t);
    }
    std::remove(source->copy.c_str());
    Bytes(state);
    state.counters["cp+sync_s"] = cpTotal / double(state.iterations());
    state.counters["repack_s"] = repackTotal / double(state.iterations());
    state.counters["repack/cp"] = repackTotal / cpTotal;
    // The ratio within each pair, whose middle value a busy machine moves
    // least.
    std::sort(ratios.begin(), ratios.end());
    state.counters["median_repack/cp"] = ratios[ratios.size() / 2];
}

}  // namespace

BENCHMARK(BM_RepackVsDurableCp)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_Cp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CpThenSync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Repack)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TSource files;
    source = &files;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
