// Tokenizing a 1 MB UTF-8 page (tables of object fields with Cyrillic text,
// links, references, comments and a script) symbol by symbol, as the build
// pass and the link-counting pass read it, and libxml2's HTML parser
// delivering SAX events for the same bytes. Both first agree on the number
// of elements, so they measure the same work.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "html/parser/HtmlParser.h"
#include "html/parser/HtmlPropStack.h"
#include "html/text/Buffer.h"
#include "html/text/Properties.h"

namespace {

const std::string& page() {
    static const std::string text = [] {
        std::string s =
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Сертификат &amp; запрос</title></head>\n"
            "<body>\n";
        int row = 0;
        while (s.size() < 1024 * 1024) {
            s += "<!-- object " + std::to_string(row) + " -->\n<table class=\"obj\" border=1 width=\"100%\">\n";
            for (int i = 0; i < 8; ++i, ++row)
                s += "<tr><td class=name nowrap>Поле&nbsp;" + std::to_string(row) +
                     "</td><td>CN=Иванов Иван, O=&quot;Зорен&quot;, C=UA &#8212; 30:82:01:0a</td>"
                     "<td><a href=\"?row=" +
                     std::to_string(row) + "&amp;show=1\">подробнее</a></td></tr>\n";
            s += "</table>\n<p>Ключ действителен<br>до 2030-01-01.</p>\n";
        }
        s += "<script>var rows = 1 < 2;</script>\n</body></html>\n";
        return s;
    }();
    return text;
}

struct Counts {
    int64_t elements = 0;
    int64_t textUnits = 0;
};

Counts tokenize(const std::string& s, bool linkSearch) {
    TBuffer buffer(s.data(), s.size(), 65001, u"page.html");
    THtmlPropStack stack;
    stack.Add(std::make_unique<TProperties>(&stack, false));
    THtmlParser parser(&buffer);
    parser.FPropStack = &stack;
    parser.LinkSearch = linkSearch;
    Counts counts;
    parser.GetCh();
    for (parser.Next(); parser.Sy != EofSy; parser.Next()) {
        if (parser.Sy == StringSy) counts.textUnits += parser.LCToken->Count();
        else if (parser.Sy > EofSy && ElementStartSymbol(parser.Sy) == parser.Sy) ++counts.elements;
        if (parser.Sy == ScriptSy) parser.DoScript(nullptr);
    }
    return counts;
}

void onStart(void* ctx, const xmlChar*, const xmlChar**) { ++static_cast<Counts*>(ctx)->elements; }
void onCharacters(void* ctx, const xmlChar*, int len) { static_cast<Counts*>(ctx)->textUnits += len; }

Counts libxml2Sax(const std::string& s) {
    Counts counts;
    htmlParserCtxtPtr ctxt = htmlCreateMemoryParserCtxt(s.data(), int(s.size()));
    if (!ctxt) std::abort();
    htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED);
    htmlSAXHandler sax{};
    sax.startElement = onStart;
    sax.characters = onCharacters;
    *ctxt->sax = sax;
    ctxt->userData = &counts;
    htmlParseDocument(ctxt);
    if (ctxt->myDoc) xmlFreeDoc(ctxt->myDoc);
    htmlFreeParserCtxt(ctxt);
    return counts;
}

void BM_Tokenize(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) benchmark::DoNotOptimize(tokenize(s, false));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_Tokenize)->Unit(benchmark::kMillisecond);

void BM_TokenizeLinkPass(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) benchmark::DoNotOptimize(tokenize(s, true));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_TokenizeLinkPass)->Unit(benchmark::kMillisecond);

void BM_Libxml2HtmlSax(benchmark::State& state) {
    const std::string& s = page();
    for (auto _ : state) benchmark::DoNotOptimize(libxml2Sax(s));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
}
BENCHMARK(BM_Libxml2HtmlSax)->Unit(benchmark::kMillisecond);

// Both read the same elements before either is timed.
const bool agreed = [] {
    const Counts ours = tokenize(page(), false);
    const Counts theirs = libxml2Sax(page());
    if (ours.elements != theirs.elements) {
        std::fprintf(stderr, "element counts differ: tokenizer %lld, libxml2 %lld\n", (long long)ours.elements,
                     (long long)theirs.elements);
        std::abort();
    }
    return true;
}();

}  // namespace
