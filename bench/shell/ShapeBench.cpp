// The time to compute the default face's window shape: ours (Qt's mask from
// the corner colour, then a region) against the pixel-by-pixel removal the
// shape is defined by, on the same face.
//
//   shape_bench SKIN_FOLDER [benchmark options]
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <string>

#include "Skin.h"

namespace {

std::string faceFile;

void BM_OurShape(benchmark::State& state)
{
    const Bitmap face = Bitmap::load(faceFile);
    for (auto _ : state) benchmark::DoNotOptimize(buildWindowRegion(face));
}

// Start from the whole rectangle and take away each pixel of the corner
// colour, row by row.
void BM_PixelByPixel(benchmark::State& state)
{
    const Bitmap face = Bitmap::load(faceFile);
    const QImage& image = face.image();
    for (auto _ : state) {
        QRegion region(0, 0, image.width(), image.height());
        const QRgb transparent = image.pixel(0, 0);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == transparent) region -= QRegion(x, y, 1, 1);
        benchmark::DoNotOptimize(region);
    }
}

BENCHMARK(BM_OurShape)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixelByPixel)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: shape_bench SKIN_FOLDER [benchmark options]\n");
        return 2;
    }
    faceFile = std::string(argv[1]) + "/MainUp.bmp";
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    argv[1] = argv[0];
    --argc;
    ++argv;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
