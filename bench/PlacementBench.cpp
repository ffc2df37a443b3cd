// Converting a binary placement file of 1,000,000 item instances to text,
// beside snprintf writing the same lines.
//
//   ConvertPlacement            the converter, reading the records from the
//                               file through its buffer, every line handed to
//                               a sink that only counts bytes
//   SnprintfBaseline            one snprintf("%d, item%d, %d, %.2f, ... %d")
//                               per instance on the same numbers, the records
//                               already in memory (no file reads)
//
// An iteration converts the 1,000,000 lines, so its time in milliseconds is
// the time per line in nanoseconds; items_per_second counts lines. The values are those a map holds: positions within
// ±4000 with fractions, rotations within ±1, model ids, interiors and LODs.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/ByteOrder.h"
#include "base/FileIO.h"
#include "formats/ipl/Placement.h"

namespace korvane {
namespace {

constexpr int32_t kInstances = 1000000;

struct Data {
    std::string path;
    std::vector<TIplInstance> records;
    Data()
    {
        std::mt19937 rng(2024);
        std::uniform_real_distribution<float> pos(-4000.0f, 4000.0f), rot(-1.0f, 1.0f);
        std::uniform_int_distribution<int32_t> id(0, 20000), lod(-1, 3000);
        std::string bytes(IplHeaderSize, '\0');
        std::memcpy(bytes.data(), "bnry", 4);
        StoreLE32(reinterpret_cast<uint8_t*>(bytes.data()) + 4, uint32_t(kInstances));
        StoreLE32(reinterpret_cast<uint8_t*>(bytes.data()) + 28, uint32_t(IplHeaderSize));
        StoreLE32(reinterpret_cast<uint8_t*>(bytes.data()) + 60, uint32_t(IplHeaderSize + kInstances * IplInstanceSize));
        records.resize(kInstances);
        for (TIplInstance& r : records) {
            for (int k = 0; k < 3; ++k) r.F[k] = pos(rng);
            for (int k = 3; k < 7; ++k) r.F[k] = rot(rng);
            r.I1 = id(rng);
            r.I2 = int32_t(rng() % 19);
            r.I3 = lod(rng);
            uint8_t rec[IplInstanceSize];
            for (int k = 0; k < 7; ++k) {
                uint32_t bits;
                std::memcpy(&bits, &r.F[k], 4);
                StoreLE32(rec + 4 * k, bits);
            }
            StoreLE32(rec + 28, uint32_t(r.I1));
            StoreLE32(rec + 32, uint32_t(r.I2));
            StoreLE32(rec + 36, uint32_t(r.I3));
            bytes.append(reinterpret_cast<const char*>(rec), sizeof rec);
        }
        char name[] = "/tmp/korvane-placement-bench-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
        close(fd);
        path = name;
    }
    ~Data() { unlink(path.c_str()); }
};

Data& Shared()
{
    static Data data;
    return data;
}

struct TCountingSink : TPlacementSink {
    uint64_t bytes = 0;
    uint64_t lines = 0;
    void Line(std::string_view line) override
    {
        bytes += line.size();
        ++lines;
        benchmark::DoNotOptimize(line.data());
    }
};

void ConvertPlacementBench(benchmark::State& state)
{
    Data& data = Shared();
    uint64_t lines = 0;
    for (auto _ : state) {
        TFile file = TFile::OpenReadWrite(data.path);
        unsigned char header[IplHeaderSize];
        file.ReadExact(header, sizeof header);
        TCountingSink sink;
        ConvertPlacement(file, 0, ParseIplHeader(header), "bench.ipl", sink);
        benchmark::DoNotOptimize(sink.bytes);
        lines += uint64_t(kInstances);
    }
    state.SetItemsProcessed(int64_t(lines));
}
BENCHMARK(ConvertPlacementBench)->Name("ConvertPlacement")->Unit(benchmark::kMillisecond)->UseRealTime();

void SnprintfBaseline(benchmark::State& state)
{
    Data& data = Shared();
    uint64_t lines = 0;
    char buf[1024];
    for (auto _ : state) {
        uint64_t bytes = 0;
        int32_t n = 0;
        for (const TIplInstance& r : data.records) {
            const int len = std::snprintf(buf, sizeof buf, "%d, item%d, %d, %.2f, %.2f, %.2f, %.2f, %.2f, %.2f, %.2f, %d",
                                          r.I1, ++n, r.I2, double(r.F[0]), double(r.F[1]), double(r.F[2]),
                                          double(r.F[3]), double(r.F[4]), double(r.F[5]), double(r.F[6]), r.I3);
            bytes += uint64_t(len);
            benchmark::DoNotOptimize(buf);
        }
        benchmark::DoNotOptimize(bytes);
        lines += uint64_t(kInstances);
    }
    state.SetItemsProcessed(int64_t(lines));
}
BENCHMARK(SnprintfBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
