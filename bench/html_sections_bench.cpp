// Text sections at growing sizes: ProcessText over a page of blanks between
// words, next to QString::simplified (Qt's collapsing of white space) over
// the same text, and a long paragraph broken into lines on the recording
// canvas. The reported complexity should be linear (O(N)).
#include <benchmark/benchmark.h>

#include <QString>
#include <memory>
#include <string>

#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "platform/framework/RecordingDC.h"

namespace {

// Words of five letters with runs of 20 blanks between them: N units in all.
std::u16string blankPage(size_t N) {
    std::u16string s;
    while (s.size() < N) s += u"words                    ";
    s.resize(N);
    return s;
}

std::unique_ptr<TSection> sectionOf(const std::u16string& Text, TProperties* Prop) {
    auto s = std::make_unique<TSection>(nullptr, nullptr, Prop, nullptr, false);
    TTokenObj t;
    for (size_t i = 0; i < Text.size(); ++i) t.AddUnicodeChar(Text[i], int32_t(i));
    s->AddTokenObj(t);
    return s;
}

void BM_ProcessText(benchmark::State& state) {
    const std::u16string text = blankPage(size_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto s = sectionOf(text, nullptr);
        state.ResumeTiming();
        s->ProcessText(int32_t(text.size()));
        benchmark::DoNotOptimize(s->Len);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProcessText)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity(benchmark::oN);

void BM_QStringSimplified(benchmark::State& state) {
    const std::u16string text = blankPage(size_t(state.range(0)));
    const QString q(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
    for (auto _ : state) benchmark::DoNotOptimize(q.simplified());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_QStringSimplified)->RangeMultiplier(10)->Range(1000, 1000000)->Complexity(benchmark::oN);

void BM_BreakIntoLines(benchmark::State& state) {
    SetScreenDCProvider([] { return std::unique_ptr<TDeviceContext>(new TRecordingDC()); });
    SetScreenPixelsPerInch(96);
    TProperties prop;
    prop.Props[FontSize] = 12.0;
    std::u16string text;
    while (text.size() < size_t(state.range(0))) text += u"paragraph text broken into lines ";
    auto s = sectionOf(text, &prop);
    s->ProcessText(0);
    TRecordingDC dc(1000, 1000);
    dc.SetTextJustification(0, 0);
    TCanvas canvas;
    canvas.SetDevice(&dc);
    TIndentManager im;
    for (auto _ : state) {
        im.Init(0, 400);
        int32_t maxWidth = 0, curs = 0;
        benchmark::DoNotOptimize(s->DrawLogic1(&canvas, 0, 0, 0, 0, 400, 0, 0, &im, maxWidth, curs));
    }
    canvas.SetDevice(nullptr);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BreakIntoLines)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

}  // namespace
