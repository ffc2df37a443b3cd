// Click-to-picture: a real left click (press and release) on a dictionary's
// row in the window, until the TXD page has painted the first texture,
// against decoding that texture alone from memory. Both are measured in the
// same iteration, so they share the machine's load.
//   ClickToPicture/RealBgra32_256   riot_shield, 256×256 32-bit, the largest
//                                   real texture (../shared/realdata)
//   ClickToPicture/Dxt1_2048        2048×2048 DXT1 built by tests/support
// The time reported is the click's; counters: click_ms and decode_ms
// (medians over the iterations) and ratio = click_ms / decode_ms. Target:
// ratio ≤ 1.1. Before each click another row is clicked (the default page)
// and the thumbnail worker of the click before has finished, both untimed.
// Needs a display: xvfb-run -a build/test/bench/click_preview_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/MainWindow.h"
#include "WindowBench.h"
#include "app/preview/PictureView.h"
#include "app/preview/TxdPage.h"
#include "formats/txd/TextureDecode.h"
#include "support/DictionaryWriters.h"
#include "support/TempDir.h"

using namespace korvane;

namespace {

// A VER2 archive: row 0 "other.dat" (no preview), row 1 "tex.txd" holding
// the dictionary.
std::string ArchiveWith(const std::string& txd)
{
    const uint32_t sectors = uint32_t((txd.size() + 2047) / 2048);
    std::string bytes = Ver2Bytes({{1, 1, "other.dat"}, {2, sectors, "tex.txd"}}, (2 + uint64_t(sectors)) * 2048);
    bytes.replace(2 * 2048, txd.size(), txd);
    return bytes;
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void ClickToPicture(benchmark::State& state, const std::string& txd)
{
    TempDir dir;
    const std::string path = dir.File("a.img");
    WriteBytes(path, ArchiveWith(txd));

    NoPrompts prompts;
    TMainWindow form(prompts, {});
    form.show();
    QApplication::processEvents();
    form.Load(path);
    QTableView* list = form.ListView();
    auto* page = form.findChild<TTxdPage*>(QStringLiteral("TXD"));
    auto* picture = page->findChild<TPictureView*>();
    auto click = [list](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    };

    // The decode alone: the texture as the page read it, its pixels taken
    // from the dictionary's bytes, in the page's first mode (RGB+A). A
    // dictionary of one texture without a palette has them at byte 144:
    // dictionary header and struct (12 + 12 + 4), native header, struct
    // header (12 + 12), 88 header bytes and the 4-byte data size.
    click(1);
    page->WaitForThumbnails();
    if (page->Textures().size() != 1) {
        state.SkipWithError("the dictionary was not shown");
        return;
    }
    const TTextureInfo t = page->Textures()[0];
    const auto* bytes = reinterpret_cast<const uint8_t*>(txd.data());
    const uint32_t stated = uint32_t(bytes[140]) | uint32_t(bytes[141]) << 8 | uint32_t(bytes[142]) << 16 |
                            uint32_t(bytes[143]) << 24;
    if (t.PaletteEntries != 0 || stated != t.DataSize || 144 + size_t(t.DataSize) > txd.size()) {
        state.SkipWithError("the texture's pixels are not where a one-texture dictionary keeps them");
        return;
    }
    const std::vector<uint8_t> pixels(bytes + 144, bytes + 144 + t.DataSize);

    std::vector<double> clicks, decodes;
    for (auto _ : state) {
        click(0);
        page->WaitForThumbnails();
        QApplication::processEvents();

        const auto c0 = std::chrono::steady_clock::now();
        click(1);
        const auto c1 = std::chrono::steady_clock::now();
        if (picture->Picture().width() != t.Width) {
            state.SkipWithError("the click did not paint the texture");
            break;
        }
        page->WaitForThumbnails();

        const auto d0 = std::chrono::steady_clock::now();
        TTextureBitmap b = DecodeTexture(pixels.data(), pixels.size(), t, t.Width, t.Height, dmComposite);
        benchmark::DoNotOptimize(b.Pixels.data());
        const auto d1 = std::chrono::steady_clock::now();

        clicks.push_back(Ms(c1 - c0));
        decodes.push_back(Ms(d1 - d0));
        state.SetIterationTime(std::chrono::duration<double>(c1 - c0).count());
    }
    if (clicks.empty()) return;
    const double clickMs = Median(clicks), decodeMs = Median(decodes);
    state.counters["click_ms"] = clickMs;
    state.counters["decode_ms"] = decodeMs;
    state.counters["ratio"] = clickMs / decodeMs;
    char label[64];
    std::snprintf(label, sizeof label, "click/decode %.2f (target <= 1.1)", clickMs / decodeMs);
    state.SetLabel(label);
}

void RealBgra32(benchmark::State& state)
{
    const std::string root = RealDataDir();
    if (root.empty()) {
        state.SkipWithError("../shared/realdata is absent: no real 256x256 32-bit texture to click");
        return;
    }
    ClickToPicture(state, ReadBytes(root + "/txd/mta_stealth_riot_shield_262312.txd"));
}

void Dxt1Big(benchmark::State& state)
{
    ClickToPicture(state, DictionaryBytes({Dxt1Texture("big", 2048, 2048, [](unsigned x, unsigned y) {
                       return 0xFF000000u | (x * 0x1F3u + y * 0x2B1u) % 0xFFFFFFu;
                   })}));
}

BENCHMARK(RealBgra32)->Name("ClickToPicture/RealBgra32_256")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Dxt1Big)->Name("ClickToPicture/Dxt1_2048")->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
