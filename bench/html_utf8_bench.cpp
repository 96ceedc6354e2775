// Decoding a 256 KiB UTF-8 page (markup with Cyrillic text): the character
// buffer read unit by unit as the parser reads it, its AsString, and Qt's
// QString::fromUtf8 over the same bytes.
#include <benchmark/benchmark.h>

#include <QString>
#include <string>

#include "html/text/Buffer.h"

namespace {

const std::string& page() {
    static const std::string text = [] {
        const std::string para = "<p class=\"x\">Модуль генерации запросов: ключи и сертификаты.</p>\n";
        std::string s;
        while (s.size() < 256 * 1024) s += para;
        return s;
    }();
    return text;
}

void BM_BufferNextChar(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) {
        TBuffer b(s.data(), s.size(), 65001, u"");
        size_t n = 0;
        while (b.NextChar() != 0) ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_BufferNextChar);

void BM_BufferAsString(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) {
        TBuffer b(s.data(), s.size(), 65001, u"");
        benchmark::DoNotOptimize(b.AsString());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_BufferAsString);

void BM_QStringFromUtf8(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) benchmark::DoNotOptimize(QString::fromUtf8(s.data(), qsizetype(s.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_QStringFromUtf8);

}  // namespace
