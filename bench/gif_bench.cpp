// Decoding a 10-frame 320 x 240 animation: our decoder (all frames and the
// composed strip) against Qt's GIF reader (all frames), same file.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "GifBuilder.h"
#include "html/layout/GifDecoder.h"

namespace {

const std::string& animation() {
    static const std::string file = [] {
        giftest::Palette colors(256);
        for (size_t i = 0; i < 256; ++i) colors[i] = uint32_t(i * 0x010203);
        giftest::Builder b;
        b.header(320, 240, colors).loop(0);
        std::mt19937 rng(1);
        for (int f = 0; f < 10; ++f) {
            giftest::Image im;
            im.width = 320;
            im.height = 240;
            // Smooth areas with some noise: compresses like a real picture.
            for (int y = 0; y < 240; ++y)
                for (int x = 0; x < 320; ++x)
                    im.pixels.push_back(uint8_t((x / 8 + y / 8 + f * 7 + (rng() % 16 == 0 ? rng() % 256 : 0)) & 255));
            b.gce(1, 5).image(im);
        }
        return b.trailer().bytes;
    }();
    return file;
}

// Our decoder and Qt's must agree on the first frame before timing anything.
void checkSameFirstFrame() {
    TGif g;
    g.LoadFromStream(animation());
    const TPixelBuffer& ours = g.GetBitmap(0);
    QByteArray bytes(animation().data(), qsizetype(animation().size()));
    QBuffer buf(&bytes);
    QImageReader r(&buf, "gif");
    const QImage qt = r.read().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < ours.Height; ++y)
        for (int x = 0; x < ours.Width; ++x) {
            const QRgb p = qt.pixel(x, y);
            if (ours.Pixel(x, y) != RGB(qRed(p), qGreen(p), qBlue(p))) {
                std::fprintf(stderr, "frames differ at %d,%d\n", x, y);
                std::abort();
            }
        }
}

void BM_TGifLoadAndStrip(benchmark::State& state) {
    for (auto _ : state) {
        TGif g;
        g.LoadFromStream(animation());
        TPixelBuffer mask;
        TPixelBuffer strip = g.GetStripBitmap(mask);
        benchmark::DoNotOptimize(strip.Bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(animation().size()));
}
BENCHMARK(BM_TGifLoadAndStrip)->Unit(benchmark::kMillisecond);

void BM_QtGifReader(benchmark::State& state) {
    QByteArray bytes(animation().data(), qsizetype(animation().size()));
    for (auto _ : state) {
        QBuffer buf(&bytes);
        QImageReader r(&buf, "gif");
        int frames = 0;
        while (r.canRead()) {
            QImage im = r.read();
            if (im.isNull()) break;
            benchmark::DoNotOptimize(im.constBits());
            ++frames;
        }
        if (frames != 10) state.SkipWithError("Qt read a different number of frames");
    }
    state.SetBytesProcessed(state.iterations() * int64_t(animation().size()));
}
BENCHMARK(BM_QtGifReader)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    checkSameFirstFrame();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
