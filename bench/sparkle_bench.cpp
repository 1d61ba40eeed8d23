// One sparkle tick (100 points) on each window's client area, with and
// without the repaint it queues.

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "controls/FormRuntime.h"
#include "controls/SparkleCanvas.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"

using namespace lumora;

namespace {

// Client areas in pixels: the main window (9945 x 6195 twips) and the
// settings window (5655 x 3390 twips).
const QSize sizes[] = {{663, 413}, {377, 226}};

struct ShownCanvas {
    SparkleCanvas canvas;
    RandomSource random;
    explicit ShownCanvas(benchmark::State& state)
    {
        const QSize size = sizes[state.range(0)];
        state.SetLabel(state.range(0) == 0 ? "main 663x413" : "settings 377x226");
        canvas.resize(size);
        canvas.show();
        bench::settle();
    }
};

// What one timer tick costs the program: the points and their repaint.
void BM_SparkleTick(benchmark::State& state)
{
    ShownCanvas c(state);
    for (auto _ : state) {
        c.canvas.sparkle(c.random);
        bench::settle();
    }
}

void BM_SparklePointsOnly(benchmark::State& state)
{
    ShownCanvas c(state);
    for (auto _ : state) {
        c.canvas.sparkle(c.random);
        state.PauseTiming();
        bench::settle();
        state.ResumeTiming();
    }
}

void BM_SparkleRepaintOnly(benchmark::State& state)
{
    ShownCanvas c(state);
    for (auto _ : state) {
        state.PauseTiming();
        c.canvas.sparkle(c.random);
        state.ResumeTiming();
        bench::settle();
    }
}

// The same tick on the real windows, both shown: a point beneath a control
// repaints that control too, which the bare canvas above does not show.
void BM_WindowTick(benchmark::State& state)
{
    QTemporaryDir scratch; // the settings file goes here, not into the caller's folder
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratch.path());
    {
        FormRuntime runtime(bench::quietSeams());
        frmMain main(runtime);
        runtime.errors.guard([&] { main.Form_Load(); });
        frmSettings& settings = main.settingsWindow();
        // Ticks come from the loop below only.
        main.tmrTimer->stop();
        settings.tmrTimer1->stop();
        main.show();
        settings.show();
        bench::settle();
        SparkleCanvas* canvas = state.range(0) == 0 ? main.canvas : settings.canvas;
        state.SetLabel(state.range(0) == 0 ? "frmMain" : "frmSettings");
        for (auto _ : state) {
            canvas->sparkle(runtime.random);
            bench::settle();
        }
    }
    QDir::setCurrent(previous);
}

} // namespace

BENCHMARK(BM_SparkleTick)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SparklePointsOnly)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SparkleRepaintOnly)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowTick)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
