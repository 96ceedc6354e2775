// Inputs a hostile page can make long: the blanks (and comments) of a
// shorthand value, percent-escapes of a URL, and "/../" segments of a
// relative reference. Each benchmark runs at sizes from 1 K to 256 K and
// reports the fitted complexity: it must read O(N). Qt's percent-decoding and
// URL resolution run the same inputs beside ours (their rules differ in
// detail: Qt decodes bytes leniently and resolves by RFC 3986).
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <string>

#include "html/text/Buffer.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"
#include "html/text/UrlUtils.h"

namespace {

std::u16string repeat(std::u16string_view piece, int64_t n) {
    std::u16string s;
    s.reserve(size_t(n) * piece.size());
    for (int64_t i = 0; i < n; ++i) s += piece;
    return s;
}

void BM_SplitValueWordsBlanks(benchmark::State& state) {
    const std::u16string text = u"1px" + repeat(u" ", state.range(0)) + u"2px";
    for (auto _ : state) benchmark::DoNotOptimize(SplitValueWords(text, 3));
    state.SetComplexityN(state.range(0));
}

// The whole way from a sheet: comments count as blanks.
void BM_ShorthandWithCommentsAndBlanks(benchmark::State& state) {
    const std::u16string css = u"p{margin:1px" + repeat(u"/**/ ", state.range(0)) + u"2px}";
    for (auto _ : state) {
        TStyleList list;
        TBuffer doc(css, std::u16string(), 1200);
        char16_t c;
        ParseStyleSheet(list, c, doc, false, true, u"");
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetComplexityN(state.range(0));
}

void BM_DecodeUrlEscapes(benchmark::State& state) {
    const std::u16string url = repeat(u"%41", state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(DecodeUrlEscapes(url));
    state.SetComplexityN(state.range(0));
}

void BM_QtPercentDecoding(benchmark::State& state) {
    const QByteArray url = QByteArray("%41").repeated(qsizetype(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(QString::fromUtf8(QByteArray::fromPercentEncoding(url)));
    state.SetComplexityN(state.range(0));
}

void BM_CombineUrlsDotSegments(benchmark::State& state) {
    const std::u16string rel = repeat(u"a/../", state.range(0)) + u"x.png";
    for (auto _ : state) benchmark::DoNotOptimize(CombineUrls(u"http://h/d/", rel));
    state.SetComplexityN(state.range(0));
}

void BM_QtUrlResolved(benchmark::State& state) {
    const QUrl base(QStringLiteral("http://h/d/"));
    const QUrl rel(QString::fromLatin1("a/../").repeated(qsizetype(state.range(0))) + QStringLiteral("x.png"));
    for (auto _ : state) benchmark::DoNotOptimize(base.resolved(rel));
    state.SetComplexityN(state.range(0));
}

#define ZRX_LINEAR(fn) BENCHMARK(fn)->RangeMultiplier(4)->Range(1 << 10, 1 << 18)->Complexity(benchmark::oN)
ZRX_LINEAR(BM_SplitValueWordsBlanks);
ZRX_LINEAR(BM_ShorthandWithCommentsAndBlanks);
ZRX_LINEAR(BM_DecodeUrlEscapes);
ZRX_LINEAR(BM_QtPercentDecoding);
ZRX_LINEAR(BM_CombineUrlsDotSegments);
ZRX_LINEAR(BM_QtUrlResolved);

}  // namespace
