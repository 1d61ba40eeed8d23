// A preview: reading a 640 x 480 24-bit BMP from disk and showing it.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "controls/ErrorGuard.h"
#include "controls/NativeText.h"
#include "controls/PictureBox.h"

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

} // namespace

BENCHMARK(BM_LoadPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAndShow)->Unit(benchmark::kMicrosecond);
