// A preview: reading a 640 x 480 24-bit BMP from disk and showing it; and
// picks made while look-ups are slow or never end.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "BenchSupport.h"
#include "controls/DirectoryList.h"
#include "controls/ErrorGuard.h"
#include "controls/FileList.h"
#include "controls/FormRuntime.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"
#include "launcher/frmMain.h"
#include "settings/frmSettings.h"

using namespace lumora;

namespace {

struct Bitmap {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("shot-1.bmp"));
    Bitmap()
    {
        QImage image(640, 480, QImage::Format_RGB888);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
        if (!image.save(path, "BMP"))
            qFatal("cannot write the benchmark bitmap");
    }
};

const Bitmap& bitmap()
{
    static const Bitmap instance;
    return instance;
}

void BM_LoadPicture(benchmark::State& state)
{
    const std::string path = nativeFromText(bitmap().path);
    for (auto _ : state)
        benchmark::DoNotOptimize(loadPicture(path));
}

// Both previews' box: 4815 x 3375 twips. Includes the repaint it queues.
void BM_SetPicture(benchmark::State& state)
{
    const QImage image = loadPicture(nativeFromText(bitmap().path));
    const Seams seams = Seams::system();
    ErrorGuard errors(seams);
    PictureBox box(errors, seams.loadPicture);
    box.resize(321, 225);
    box.show();
    bench::settle();
    for (auto _ : state) {
        box.setPicture(image);
        bench::settle();
    }
}

// A preview as a pick shows it: read and decoded on a worker, then shown.
void BM_LoadAndShow(benchmark::State& state)
{
    const std::string path = nativeFromText(bitmap().path);
    const Seams seams = Seams::system();
    ErrorGuard errors(seams);
    PictureBox box(errors, seams.loadPicture);
    box.resize(321, 225);
    box.show();
    bench::settle();
    for (auto _ : state) {
        box.load(path);
        while (box.loading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        bench::settle();
    }
}

// The threads this process has now.
int threads()
{
    std::error_code ignored;
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/task", ignored),
                             std::filesystem::directory_iterator()));
}

// A main window with `games` games (GAME000.ZIP, ...) to pick from, whose
// screenshot look-ups go through `loader`.
struct PickingWindow {
    QTemporaryDir dir;
    std::unique_ptr<FormRuntime> runtime;
    std::unique_ptr<frmMain> window;

    PickingWindow(int games, PictureLoader loader, const QString& shots)
    {
        QDir(dir.path()).mkdir(QStringLiteral("games"));
        for (int i = 0; i < games; ++i)
            QFile(dir.filePath(QStringLiteral("games/GAME%1.ZIP").arg(i, 3, 10, QLatin1Char('0'))))
                .open(QIODevice::WriteOnly);
        Seams seams = bench::quietSeams();
        seams.loadPicture = std::move(loader);
        runtime = std::make_unique<FormRuntime>(seams);
        window = std::make_unique<frmMain>(*runtime);
        window->Form_Load();
        runtime->folders.startUpOver();
        window->settingsWindow().txtScreen->setText(shots);
        window->dirDirectory->setPath(dir.filePath(QStringLiteral("games")));
        bench::settleList(*window->filFiles);
    }
    // As an arrow key picks the next game.
    void pick(int row)
    {
        window->filFiles->setListIndex(row);
        window->filFiles_Click();
    }
};

// 500 picks, one after another as the arrow keys make them, while the mount
// of the screenshot folder never answers: the threads left behind.
void BM_PicksOverAHungScreenshotFolder(benchmark::State& state)
{
    const QString hung = QStringLiteral("/nonexistent-hung-share/shots");
    PickingWindow picking(
        500,
        [](const std::string& path, const StopFlag& stop) -> QImage {
            if (path.rfind("/nonexistent-hung-share/", 0) == 0)
                bench::blockForever();
            return loadPicture(path, &stop);
        },
        hung);
    bench::runEventsFor(200); // the start-up's own workers end
    const int before = threads();
    for (auto _ : state) {
        for (int row = 0; row < 500; ++row) {
            picking.pick(row);
            bench::settle();
        }
        bench::runEventsFor(100);
    }
    state.counters["threads before"] = before;
    state.counters["threads after"] = threads();
}

// 12 quick picks while each look-up takes 2 s: how long after the last one
// its previews show.
void BM_QuickPicksOverSlowLookUps(benchmark::State& state)
{
    QTemporaryDir shots;
    QImage shot(64, 48, QImage::Format_RGB32);
    shot.fill(Qt::green);
    for (int i = 0; i < 12; ++i)
        for (const char* which : {"1", "2"})
            shot.save(shots.filePath(QStringLiteral("GAME%1.ZIP%2.bmp").arg(i, 3, 10, QLatin1Char('0')).arg(which)),
                      "BMP");
    PickingWindow picking(
        12,
        [](const std::string& path, const StopFlag& stop) {
            std::this_thread::sleep_for(std::chrono::seconds(2));
            return loadPicture(path, &stop);
        },
        shots.path());
    for (auto _ : state) {
        for (int row = 0; row < 12; ++row) {
            picking.pick(row);
            bench::runEventsFor(40);
        }
        const auto last = std::chrono::steady_clock::now();
        const frmMain& w = *picking.window;
        while (w.Picture1->loading() || w.Picture2->loading() || w.Picture1->picture().isNull() ||
               w.Picture2->picture().isNull())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - last).count());
    }
}

} // namespace

BENCHMARK(BM_PicksOverAHungScreenshotFolder)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickPicksOverSlowLookUps)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAndShow)->Unit(benchmark::kMicrosecond);
