// Extracting and adding entries against `cp` (and `cat`) of the same bytes
// on the same disk, measured in the same run. The entries total KORVANE_BENCH_BYTES bytes
// (default 64 MiB, to keep the default run short); the figure that counts is
// taken with KORVANE_BENCH_BYTES=1073741824 (1 GiB). Files go to
// KORVANE_BENCH_DIR (default the system's temporary folder).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/ArchiveOpen.h"
#include "archive/EntryOps.h"
#include "base/ByteOrder.h"
#include "base/FaultInjection.h"
#include "base/FileIO.h"
#include "ops/ArchiveOps.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 16;
// Files added in one go by BM_AddManyFiles (8 MiB each for the 1 GiB figure).
constexpr int kManyFiles = 128;

uint64_t TotalBytes()
{
    const char* env = std::getenv("KORVANE_BENCH_BYTES");
    const uint64_t bytes = env ? std::strtoull(env, nullptr, 10) : (uint64_t(64) << 20);
    return std::max<uint64_t>(bytes / kEntries / SectorSize, 1) * SectorSize * kEntries;
}

// Writes n bytes of a repeating, non-zero pattern.
void WritePattern(TFile& f, uint64_t n, int seed)
{
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = char((i * 7 + size_t(seed) * 13 + 1) % 251);
    for (uint64_t done = 0; done < n;) {
        const size_t part = size_t(std::min<uint64_t>(n - done, block.size()));
        f.Write(block.data(), part);
        done += part;
    }
}

struct TWorkspace {
    fs::path root;
    std::string archive;             // VER2, kEntries entries of entryBytes each
    std::vector<std::string> sources;  // kEntries files of entryBytes each
    std::vector<std::string> many;     // kManyFiles files of total / kManyFiles each
    uint64_t total = TotalBytes();
    uint64_t entryBytes = total / kEntries;

    TWorkspace()
    {
        const char* base = std::getenv("KORVANE_BENCH_DIR");
        root = fs::path(base ? base : fs::temp_directory_path().string()) /
               ("korvane-entryops-bench-" + std::to_string(::getpid()));
        fs::create_directories(root / "out");
        archive = (root / "archive.img").string();
        TFile a = TFile::Create(archive);
        std::string header(SectorSize, '\0');
        std::memcpy(header.data(), "VER2", 4);
        StoreLE32(reinterpret_cast<uint8_t*>(header.data()) + 4, kEntries);
        for (int i = 0; i < kEntries; ++i) {
            auto* rec = reinterpret_cast<uint8_t*>(header.data()) + 8 + 32 * i;
            StoreLE32(rec, uint32_t(1 + uint64_t(i) * entryBytes / SectorSize));
            StoreLE32(rec + 4, uint32_t(entryBytes / SectorSize));
            std::snprintf(reinterpret_cast<char*>(rec + 8), 24, "ENTRY%02d.DAT", i);
        }
        a.Write(header.data(), header.size());
        for (int i = 0; i < kEntries; ++i) WritePattern(a, entryBytes, i);
        for (int i = 0; i < kEntries; ++i) {
            sources.push_back((root / ("source" + std::to_string(i) + ".dat")).string());
            TFile s = TFile::Create(sources.back());
            WritePattern(s, entryBytes, 100 + i);
        }
        const uint64_t manyBytes = std::max<uint64_t>(total / kManyFiles / SectorSize, 1) * SectorSize;
        for (int i = 0; i < kManyFiles; ++i) {
            many.push_back((root / ("many" + std::to_string(i) + ".dat")).string());
            TFile s = TFile::Create(many.back());
            WritePattern(s, manyBytes, 200 + i);
        }
        ::sync();
    }
    ~TWorkspace()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    // Between iterations, outside the timing: the copies go, and what is
    // still waiting to be written reaches the disk, so that every iteration
    // (of ours and of cp alike) starts with no writeback pending.
    void ClearOut()
    {
        for (const auto& f : fs::directory_iterator(root / "out")) fs::remove(f.path());
        ::sync();
    }
    void Cp(const std::string& args)
    {
        const std::string cmd = "cp " + args;
        if (std::system(cmd.c_str()) != 0) std::abort();
    }
};
TWorkspace* work = nullptr;

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Each iteration times cp and then our operation on the same bytes, one right
// after the other, so that both meet the same load from the rest of the
// machine; the iteration's time is ours, and the counters give both
// throughputs and their ratio.
void Compare(benchmark::State& state, const std::function<void()>& cp, const std::function<void()>& ours,
             const std::function<void()>& prepare = [] {})
{
    double cpTotal = 0, oursTotal = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        // The two take turns at going first.
        double t = 0, c = 0;
        for (int turn = 0; turn < 2; ++turn) {
            work->ClearOut();
            if ((turn == 0) == (state.iterations() % 2 == 0)) {
                c = Seconds(cp);
            } else {
                prepare();
                t = Seconds(ours);
            }
        }
        cpTotal += c;
        oursTotal += t;
        ratios.push_back(t / c);
        state.SetIterationTime(t);
    }
    work->ClearOut();
    const double mib = double(work->total) / (1 << 20) * double(state.iterations());
    state.counters["MiB"] = double(work->total) / (1 << 20);
    state.counters["cp_MiB/s"] = mib / cpTotal;
    state.counters["ours_MiB/s"] = mib / oursTotal;
    state.counters["ours/cp"] = cpTotal / oursTotal;
    // Our time over the baseline's within each iteration, the middle one:
    // a busy machine moves it least.
    std::sort(ratios.begin(), ratios.end());
    state.counters["median_time_ours/cp"] = ratios[ratios.size() / 2];
}

// Every entry of the archive into a folder, against cp of the whole archive.
void BM_ExtractEntries(benchmark::State& state)
{
    const Catalogue cat = OpenCatalogue(work->archive);
    std::vector<uint32_t> all;
    for (uint32_t i = 0; i < cat.Entries.size(); ++i) all.push_back(i);
    const std::string out = (work->root / "out").string();
    Compare(
        state, [&] { work->Cp(Quoted(work->archive) + " " + Quoted(out + "/copy")); },
        [&] { ExtractEntriesInto(cat, all, out); });
}
BENCHMARK(BM_ExtractEntries)->Unit(benchmark::kMillisecond)->UseManualTime();

// The source files added to an empty VER2 archive, against cp of them into a
// folder.
void BM_AddFiles(benchmark::State& state)
{
    const std::string target = (work->root / "out" / "added.img").string();
    std::string cpArgs;
    for (const std::string& s : work->sources) cpArgs += Quoted(s) + " ";
    cpArgs += Quoted((work->root / "out").string()) + "/";
    Catalogue cat;
    Compare(
        state, [&] { work->Cp(cpArgs); },
        [&] {
            TEntryChanges changes;
            TArchiveChange change(cat);
            for (const std::string& s : work->sources) AddFileEntry(change, s);
            change.Commit(changes);
        },
        [&] {
            TFile f = TFile::Create(target);
            f.Write("VER2\0\0\0\0", 8);
            cat = Catalogue();
            cat.ArchivePath = cat.DirPath = target;
            cat.ArchiveKind = akImgV2;
        });
}
BENCHMARK(BM_AddFiles)->Unit(benchmark::kMillisecond)->UseManualTime();

// kManyFiles files added to an empty VER2 archive in one change (which
// flushes the data, its journal and the directory), against cat of them into
// one file and one flush: both end with the same bytes durably on the disk.
void BM_AddManyFiles(benchmark::State& state)
{
    const std::string target = (work->root / "out" / "added.img").string();
    std::string catCmd = "cat";
    for (const std::string& s : work->many) catCmd += " " + Quoted(s);
    const std::string joined = (work->root / "out" / "joined").string();
    catCmd += " > " + Quoted(joined) + " && sync " + Quoted(joined);
    Catalogue cat;
    Compare(
        state, [&] { if (std::system(catCmd.c_str()) != 0) std::abort(); },
        [&] {
            TEntryChanges changes;
            TArchiveChange change(cat);
            for (const std::string& s : work->many) AddFileEntry(change, s);
            change.Commit(changes);
        },
        [&] {
            TFile f = TFile::Create(target);
            f.Write("VER2\0\0\0\0", 8);
            cat = Catalogue();
            cat.ArchivePath = cat.DirPath = target;
            cat.ArchiveKind = akImgV2;
        });
}
BENCHMARK(BM_AddManyFiles)->Unit(benchmark::kMillisecond)->UseManualTime();

// A VER2 directory of `count` empty entries "e0.dat", "e1.dat"…, no data.
std::string EmptyVer2(uint32_t count)
{
    std::string image(8 + 32 * size_t(count), '\0');
    std::memcpy(image.data(), "VER2", 4);
    StoreLE32(reinterpret_cast<uint8_t*>(image.data()) + 4, count);
    for (uint32_t i = 0; i < count; ++i) {
        const std::string name = "e" + std::to_string(i) + ".dat";
        std::memcpy(image.data() + 8 + 32 * size_t(i) + 8, name.data(), name.size());
    }
    return image;
}

// One entry deleted from a 16,000-entry VER2 archive (its records move down
// a slot), as one journaled change, beside one fsync of a 4 KiB file: the
// flushes it adds are counted (3: the journal, its folder, the archive).
void BM_DeleteOneOf16000(benchmark::State& state)
{
    constexpr uint32_t kCount = 16000;
    const std::string target = (work->root / "out" / "v2.img").string();
    const std::string small = (work->root / "out" / "small").string();
    const std::string image = EmptyVer2(kCount);
    uint64_t syncs = 0;
    double ours = 0, baseline = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            TFile f = TFile::Create(target);
            f.Write(image.data(), image.size());
            f.Sync();
        }
        ops::TLockedCatalogue locked{TArchiveLock(), OpenCatalogue(target)};
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        {
            TFaultInjection count({.FailAt = 0, .Ops = foSync});
            TEntryChanges changes;
            ops::Delete(locked, {0}, changes);
            syncs = count.Counted();
        }
        const auto t1 = std::chrono::steady_clock::now();
        {
            TFile f = TFile::Create(small);
            f.Write(image.data(), 4096);
            f.Sync();
        }
        const auto t2 = std::chrono::steady_clock::now();
        ours += std::chrono::duration<double>(t1 - t0).count();
        baseline += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["fsyncs"] = double(syncs);
    state.counters["ours/fsync4KiB"] = baseline > 0 ? ours / baseline : 0;
}
BENCHMARK(BM_DeleteOneOf16000)->Unit(benchmark::kMillisecond)->Iterations(20);

// kManyFiles files imported into a VER2 archive whose entries are named like
// half of them (those are replaced, the rest added), one change, against cat
// of them into one file and one flush.
void BM_ImportHalfReplacing(benchmark::State& state)
{
    const std::string target = (work->root / "out" / "import.img").string();
    std::string catCmd = "cat";
    for (const std::string& s : work->many) catCmd += " " + Quoted(s);
    const std::string joined = (work->root / "out" / "joined").string();
    catCmd += " > " + Quoted(joined) + " && sync " + Quoted(joined);
    Compare(
        state, [&] { if (std::system(catCmd.c_str()) != 0) std::abort(); },
        [&] {
            ops::TLockedCatalogue locked{TArchiveLock(), OpenCatalogue(target)};
            std::vector<ops::TImportStep> plan = ops::PlanImport(locked.Cat, work->many, false);
            TEntryChanges changes;
            ops::Import(locked, plan, changes);
        },
        [&] {
            // Entries of one sector each, named like the first half of the files.
            const uint32_t half = kManyFiles / 2;
            std::string image(2048 * (1 + half), '\0');
            std::memcpy(image.data(), "VER2", 4);
            StoreLE32(reinterpret_cast<uint8_t*>(image.data()) + 4, half);
            for (uint32_t i = 0; i < half; ++i) {
                uint8_t* rec = reinterpret_cast<uint8_t*>(image.data()) + 8 + 32 * i;
                StoreLE32(rec, 1 + i);
                StoreLE32(rec + 4, 1);
                const std::string name = fs::path(work->many[i]).filename().string();
                std::memcpy(rec + 8, name.data(), std::min<size_t>(name.size(), 23));
            }
            TFile f = TFile::Create(target);
            f.Write(image.data(), image.size());
        });
}
BENCHMARK(BM_ImportHalfReplacing)->Unit(benchmark::kMillisecond)->UseManualTime();

// The undo of a delete of one of 16,000 VER2 entries against the delete
// itself (the window's way: the delete keeps its image).
void BM_UndoADeleteOf16000(benchmark::State& state)
{
    constexpr uint32_t kCount = 16000;
    const std::string target = (work->root / "out" / "v2undo.img").string();
    const std::string image = EmptyVer2(kCount);
    double deletes = 0, undos = 0;
    for (auto _ : state) {
        {
            TFile f = TFile::Create(target);
            f.Write(image.data(), image.size());
            f.Sync();
        }
        TChangeImage kept;
        ops::TLockedCatalogue locked{TArchiveLock(), OpenCatalogue(target), &kept};
        const auto t0 = std::chrono::steady_clock::now();
        TEntryChanges changes;
        ops::Delete(locked, {0}, changes);
        const auto t1 = std::chrono::steady_clock::now();
        locked.Image = nullptr;
        ops::ApplyImage(locked, kept, true);
        const auto t2 = std::chrono::steady_clock::now();
        deletes += std::chrono::duration<double>(t1 - t0).count();
        undos += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["undo/delete"] = deletes > 0 ? undos / deletes : 0;
}
BENCHMARK(BM_UndoADeleteOf16000)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TWorkspace workspace;
    work = &workspace;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
