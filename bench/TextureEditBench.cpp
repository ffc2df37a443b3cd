// Replacing a 1024×1024 DXT1 texture of a dictionary from a PNG picture,
// against libsquish's own compression of the same picture (cluster fit, its
// DXT1 mode) plus writing the same dictionary, measured in the same run.
//
//   Replace/Dxt1_1024     korvane: read the PNG and the dictionary, encode,
//                         write the dictionary beside the old one and rename
//   Squish/Dxt1_1024      squish::CompressImage, then the same dictionary write
// The target: Replace at most 1.1 × Squish. Both run on one thread; on a busy
// machine compare the CPU column. Files go to the system's temporary folder
// (TMPDIR).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <squish.h>
#include <unistd.h>

#include "archive/FileReplace.h"
#include "formats/picture/PngWriter.h"
#include "formats/txd/TextureDictionaryEdit.h"
#include "formats/txd/TextureEncode.h"
#include "ops/TextureOps.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

constexpr int kSide = 1024;

// A picture with gradients and grain, so that every block needs a real fit.
TTextureBitmap Picture()
{
    TTextureBitmap bmp;
    bmp.Width = bmp.Height = kSide;
    bmp.Pixels.resize(size_t(kSide) * kSide * 4);
    uint32_t seed = 12345;
    for (size_t i = 0; i < bmp.Pixels.size(); i += 4) {
        seed = seed * 1103515245u + 12345u;
        const unsigned x = unsigned(i / 4 % kSide), y = unsigned(i / 4 / kSide), grain = (seed >> 16) & 31;
        bmp.Pixels[i] = uint8_t(x / 4 + grain);
        bmp.Pixels[i + 1] = uint8_t(y / 4 + grain);
        bmp.Pixels[i + 2] = uint8_t((x + y) / 8 + grain);
        bmp.Pixels[i + 3] = 255;
    }
    return bmp;
}

struct TWorkspace {
    fs::path root = fs::temp_directory_path() / ("korvane-txdedit-bench-" + std::to_string(::getpid()));
    std::string png = (root / "p.png").string();
    std::string txd = (root / "a.txd").string();
    std::string original;  // the dictionary before any run
    TTextureBitmap picture = Picture();

    TWorkspace()
    {
        fs::create_directories(root);
        WritePngFile(png, picture);
        // A dictionary of a small texture and the 1024² DXT1 one, made by
        // adding both to an empty dictionary.
        TTextureDictionaryParts parts;
        parts.Version = parts.StructVersion = 0x1803FFFF;
        parts.StructTail = std::string("\x02\x00", 2);
        parts.After = std::string("\x03\0\0\0\0\0\0\0\xff\xff\x03\x18", 12);  // the dictionary's extension
        TTextureBitmap small = picture;
        small.Width = small.Height = 4;
        small.Pixels.resize(64);
        AddTexture(parts, small, "small", "small", TTextureEncoding::Dxt1);
        AddTexture(parts, picture, png, "big", TTextureEncoding::Dxt1);
        original = JoinDictionary(parts);
    }
    ~TWorkspace() { fs::remove_all(root); }
    void Reset() const
    {
        TFile f = TFile::Create(txd);
        f.Write(original.data(), original.size());
        f.Close();
    }
};

TWorkspace& Work()
{
    static TWorkspace w;
    return w;
}

void BM_Replace(benchmark::State& state)
{
    TWorkspace& w = Work();
    for (auto _ : state) {
        state.PauseTiming();
        w.Reset();
        state.ResumeTiming();
        ops::ChangeTexture(w.txd, {TTextureChangeKind::Replace, "big", w.png, {}});
    }
}
BENCHMARK(BM_Replace)->Name("Replace/Dxt1_1024")->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_Squish(benchmark::State& state)
{
    TWorkspace& w = Work();
    std::vector<uint8_t> rgba(w.picture.Pixels.size());
    for (size_t i = 0; i < rgba.size(); i += 4) {
        rgba[i] = w.picture.Pixels[i + 2];
        rgba[i + 1] = w.picture.Pixels[i + 1];
        rgba[i + 2] = w.picture.Pixels[i];
        rgba[i + 3] = 255;
    }
    // The dictionary as the replace writes it, its big texture's data left
    // to the compression.
    const std::string dictionary = w.original;
    const size_t dataAt = dictionary.size() - 12 - 12 - size_t(kSide) * kSide / 2;
    for (auto _ : state) {
        state.PauseTiming();
        w.Reset();
        std::string out = dictionary;
        state.ResumeTiming();
        squish::CompressImage(rgba.data(), kSide, kSide, out.data() + dataAt, squish::kDxt1 | squish::kColourClusterFit);
        ReplaceFileContents(w.txd, out);
    }
}
BENCHMARK(BM_Squish)->Name("Squish/Dxt1_1024")->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
