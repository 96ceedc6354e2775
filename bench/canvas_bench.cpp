// Fit counts and text output through the device context, against
// QFontMetrics and QPainter::drawText on the same font and text.
#include <benchmark/benchmark.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Forms.h"
#include "platform/framework/QtDeviceContext.h"

namespace {

const std::u16string kLine =
    u"The quick brown fox jumps over the lazy dog; Съешь же ещё этих мягких французских булок.";

TLogFont font() {
    TLogFont f;
    f.Face = "DejaVu Sans";
    f.Height = -16;
    return f;
}

void setup() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureApplication();
}

void BM_FitCount_DeviceContext(benchmark::State& st) {
    setup();
    TBitmap bmp(800, 100);
    auto dc = NewBitmapDeviceContext(&bmp);
    dc->SelectFont(font());
    std::vector<int> partial;
    for (auto _ : st) {
        int fit = 0;
        TSize size;
        dc->GetTextExtentExPoint(kLine, 300, &fit, &partial, size);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_FitCount_DeviceContext);

void BM_FitCount_QFontMetrics(benchmark::State& st) {
    setup();
    QFont f = QtFontOf(font());
    QFontMetrics fm(f);
    const QString line = QString::fromUtf16(kLine.data(), qsizetype(kLine.size()));
    for (auto _ : st) {
        // The same answer from Qt: widths of growing prefixes until the room is used.
        int fit = 0;
        for (int n = 1; n <= line.size(); ++n) {
            if (fm.horizontalAdvance(line, n) > 300) break;
            fit = n;
        }
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_FitCount_QFontMetrics);

void BM_TextOut_DeviceContext(benchmark::State& st) {
    setup();
    TBitmap bmp(800, 100);
    auto dc = NewBitmapDeviceContext(&bmp);
    dc->SelectFont(font());
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextAlign(TA_BASELINE);
    for (auto _ : st) dc->TextOut(5, 50, kLine);
}
BENCHMARK(BM_TextOut_DeviceContext);

void BM_TextOut_QPainter(benchmark::State& st) {
    setup();
    QImage img(800, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setFont(QtFontOf(font()));
    const QString line = QString::fromUtf16(kLine.data(), qsizetype(kLine.size()));
    for (auto _ : st) p.drawText(5, 50, line);
}
BENCHMARK(BM_TextOut_QPainter);

}  // namespace
