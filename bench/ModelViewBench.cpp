// Frame time of the model view drawing the real infernus, 800 × 600, every
// part shown:
//   Flat   the parts as stored, grey (the view as it always was): the baseline
//   Game   placed by their frames, in their materials' colours, textured from
//          the car's dictionary, blended batches last; its one wheel part on
//          its own frame only (the game view before vehicles stood on wheels)
//   Vehicle  the game view as it is: the wheel at all four dummies, the left
//          ones mirrored, the marker materials painted
// Targets: Game at most 1.5× Flat; Vehicle at most 1.2× Game. A frame is one
// paint into the view's framebuffer and glFinish, so the software rasteriser
// has drawn it all.
// Needs the samples in ../shared/realdata and a display with OpenGL (Qt's
// offscreen platform has none): xvfb-run -a build/bench/bench/modelview_bench
#include <benchmark/benchmark.h>

#include "WindowBench.h"

#include <GL/gl.h>
#include <QApplication>
#include <QOpenGLContext>

#include "app/preview/ModelView.h"
#include "archive/EntryBytes.h"
#include "formats/dff/ModelMesh.h"
#include "formats/dff/ModelTextures.h"

using namespace korvane;

namespace {

class TBenchView : public TModelView {
public:
    TBenchView() : TModelView(nullptr) { resize(800, 600); }
    void Frame()
    {
        makeCurrent();
        paintGL();
        glFinish();
    }
};

struct TCar {
    TModelRead model;
    TModelTextures textures;
    std::vector<TModelPlacement> placements;
    bool ok = false;
    TCar()
    {
        const std::string root = KORVANE_REALDATA_DIR;
        try {
            const TEntryBytes bytes = ReadFileBytes(root + "/dff/rwparser_infernus.dff");
            TSectionCursor f(bytes.Bytes, bytes.Path);
            ReadModel(f, model);
            textures = FindModelTextures(model, {{root + "/txd/rwparser_infernus.txd"}});
            placements = AssembleModel(model);
            ok = !textures.Images.empty();
        } catch (const std::exception&) {
        }
    }
};

const TCar& Car()
{
    static const TCar car;
    return car;
}

enum class TLook { Flat, Game, Vehicle };

void Draw(benchmark::State& state, TLook look)
{
    const TCar& car = Car();
    if (!car.ok) {
        state.SkipWithError("the infernus samples are not in ../shared/realdata");
        return;
    }
    TBenchView view;
    if (look != TLook::Flat) {
        std::vector<TModelPlacement> placements = car.placements;
        if (look == TLook::Game)
            for (TModelPlacement& p : placements) p.Copies.clear();
        view.SetSceneMeshes(BuildSceneMeshes(car.model, placements, car.textures,
                                             std::vector<bool>(placements.size(), true), -1, TVehiclePaint{}));
        view.SetImages(car.textures.Images);
        // One camera for both game views: the frame with its wheels.
        view.FitCamera(AssembledRadius(car.model, car.placements));
    } else {
        const std::vector<bool> all(car.model.Parts.size(), true);
        view.SetMeshes(BuildModelMeshes(car.model.Parts, car.model.Parts.size(), all, -1));
        view.FitCamera(car.model.LargestRadius);
    }
    view.grabFramebuffer();  // makes the context and uploads the textures
    if (!view.context() || !view.context()->isValid()) {
        state.SkipWithError("no OpenGL context on this platform");
        return;
    }
    for (auto _ : state) view.Frame();
}

void Flat(benchmark::State& state) { Draw(state, TLook::Flat); }
void Game(benchmark::State& state) { Draw(state, TLook::Game); }
void Vehicle(benchmark::State& state) { Draw(state, TLook::Vehicle); }

// The rasteriser works on threads of its own: wall time is the frame time.
BENCHMARK(Flat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Game)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Vehicle)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return RunWindowBenchmarks(argc, argv); }
