// Texture decoding speed, beside libsquish decoding the same block data.
//
//   Decode/<enc>/<mode>          full 1024×1024 decode from memory
//   DecodeFile/<enc>/<mode>      the same through BuildTextureBitmap from a
//                                file (page cache), as the window does it
//   Squish/<enc>                 squish::DecompressImage on the same blocks
//   Thumbnail2048/Dxt1           48×48 thumbnail of a 2048×2048 DXT1 texture
//   Full2048/Dxt1                the same texture decoded whole
//   Dictionary200/Thumbnails     200 textures of 256×256 (DXT1): start of the
//                                thumbnail worker until the last hand-over
//   Dictionary200/FullDecodes    the same 200 textures decoded whole
// Counters: Mpx/s = megapixels of decoded (full-size) texture per second.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QImage>
#include <cstdio>
#include <random>
#include <squish.h>
#include <unistd.h>

#include "app/preview/ImageLoader.h"
#include "app/preview/PictureView.h"
#include "formats/txd/TextureDecode.h"
#include "formats/txd/TextureDictionary.h"

using namespace korvane;

namespace {

std::string RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = char(rng());
    return s;
}

TTextureInfo Info(unsigned w, unsigned h, size_t size, TTextureEncoding e = TTextureEncoding::Dxt1)
{
    TTextureInfo t;
    t.Width = uint16_t(w);
    t.Height = uint16_t(h);
    t.DataSize = uint32_t(size);
    if (e == TTextureEncoding::Dxt5) {
        t.Platform = 9;
        t.PlatformFormat = D3DFormatDxt5;
    }
    if (e == TTextureEncoding::Pal8) {
        t.PaletteEntries = 256;
        t.PalettePos = size;  // the palette after the pixels in the scratch file
    }
    return t;
}

size_t DataSize(TTextureEncoding e, unsigned w, unsigned h)
{
    switch (e) {
    case TTextureEncoding::Dxt1: return w * h / 2;
    case TTextureEncoding::Dxt3:
    case TTextureEncoding::Dxt5:
    case TTextureEncoding::Pal8: return w * h;
    default: return w * h * 4;
    }
}

// A scratch file removed at exit.
struct TScratch {
    std::string path;
    explicit TScratch(const std::string& bytes)
    {
        char name[] = "/tmp/korvane-texbench-XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::abort();
        close(fd);
    }
    ~TScratch() { std::remove(path.c_str()); }
};

void SetRate(benchmark::State& state, double pixels)
{
    state.counters["Mpx/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Decode(benchmark::State& state, TTextureEncoding enc, TDecodeMode mode)
{
    const std::string data = RandomBytes(DataSize(enc, 1024, 1024), 1), palette = RandomBytes(1024, 4);
    const TTextureInfo t = Info(1024, 1024, data.size(), enc);
    for (auto _ : state) {
        TTextureBitmap b = DecodeTexture(reinterpret_cast<const uint8_t*>(data.data()), data.size(), t, 1024, 1024, mode,
                                         reinterpret_cast<const uint8_t*>(palette.data()));
        benchmark::DoNotOptimize(b.Pixels.data());
    }
    SetRate(state, 1024.0 * 1024);
}

void DecodeFile(benchmark::State& state, TTextureEncoding enc, TDecodeMode mode)
{
    const TScratch file(RandomBytes(DataSize(enc, 1024, 1024) + 1024, 1));
    const TEntryBytes f = ReadFileBytes(file.path);
    const TTextureInfo t = Info(1024, 1024, DataSize(enc, 1024, 1024), enc);
    for (auto _ : state) {
        TTextureBitmap b = BuildTextureBitmap(f.Bytes, t, 1024, 1024, mode);
        benchmark::DoNotOptimize(b.Pixels.data());
    }
    SetRate(state, 1024.0 * 1024);
}

void Squish(benchmark::State& state, int flags)
{
    const std::string data = RandomBytes(flags == squish::kDxt1 ? 1024 * 512 : 1024 * 1024, 1);
    std::vector<squish::u8> rgba(1024 * 1024 * 4);
    for (auto _ : state) {
        squish::DecompressImage(rgba.data(), 1024, 1024, data.data(), flags);
        benchmark::DoNotOptimize(rgba.data());
    }
    SetRate(state, 1024.0 * 1024);
}

void Big(benchmark::State& state, int size)
{
    const TScratch file(RandomBytes(2048 * 1024 * 2, 2));
    const TEntryBytes f = ReadFileBytes(file.path);
    const TTextureInfo t = Info(2048, 2048, 2048 * 1024 * 2);
    for (auto _ : state) {
        TTextureBitmap b = BuildTextureBitmap(f.Bytes, t, size, size, dmColor);
        benchmark::DoNotOptimize(b.Pixels.data());
    }
}

// 200 textures of 256×256 DXT1 back to back; the table says where.
struct TDictionary {
    std::vector<TTextureInfo> textures;
    std::unique_ptr<TScratch> file;
    TDictionary()
    {
        const size_t size = 256 * 256 / 2;
        for (unsigned i = 0; i < 200; ++i) {
            TTextureInfo t = Info(256, 256, size);
            t.DataPos = uint64_t(i) * size;
            textures.push_back(t);
        }
        file = std::make_unique<TScratch>(RandomBytes(200 * size, 3));
    }
};

void DictionaryThumbnails(benchmark::State& state)
{
    const TDictionary d;
    std::vector<QImage> images;
    for (auto _ : state) {
        images.clear();
        TImageLoader loader(std::make_shared<const TEntryBytes>(ReadFileBytes(d.file->path)), d.textures, [&](int, TTextureBitmap& b, TTextureBitmap&) {
            images.push_back(WrapBitmap(b).copy());
        });
        loader.start();
        loader.WaitServing();
        if (images.size() != 200) state.SkipWithError("thumbnails missing");
    }
}

void DictionaryFull(benchmark::State& state)
{
    const TDictionary d;
    const TEntryBytes f = ReadFileBytes(d.file->path);
    for (auto _ : state)
        for (const TTextureInfo& t : d.textures) {
            TTextureBitmap b = BuildTextureBitmap(f.Bytes, t, 256, 256, dmColor);
            benchmark::DoNotOptimize(b.Pixels.data());
        }
}

void Register()
{
    const std::pair<TTextureEncoding, const char*> encodings[] = {
        {TTextureEncoding::Dxt1, "dxt1"}, {TTextureEncoding::Dxt3, "dxt3"}, {TTextureEncoding::Bgra32, "bgra32"},
        {TTextureEncoding::Dxt5, "dxt5"}, {TTextureEncoding::Pal8, "pal8"}};
    const std::pair<TDecodeMode, const char*> modes[] = {{dmColor, "color"}, {dmMask, "mask"}, {dmComposite, "composite"}};
    for (auto [enc, en] : encodings)
        for (auto [mode, mn] : modes)
            benchmark::RegisterBenchmark((std::string("Decode/") + en + "/" + mn).c_str(), Decode, enc, mode)
                ->Unit(benchmark::kMillisecond);
    for (auto [enc, en] : encodings)
        for (auto [mode, mn] : modes)
            benchmark::RegisterBenchmark((std::string("DecodeFile/") + en + "/" + mn).c_str(), DecodeFile, enc, mode)
                ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Squish/dxt1", Squish, int(squish::kDxt1))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Squish/dxt3", Squish, int(squish::kDxt3))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Squish/dxt5", Squish, int(squish::kDxt5))->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Thumbnail2048/Dxt1", Big, 48)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Full2048/Dxt1", Big, 2048)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Dictionary200/Thumbnails", DictionaryThumbnails)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("Dictionary200/FullDecodes", DictionaryFull)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
