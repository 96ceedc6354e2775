// A generated sheet of a few thousand rules (tags, classes, ids, descendant
// and child rules) parsed into a style list, then the cascade of every element
// of a deep chain of nested elements.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "html/text/Buffer.h"
#include "html/text/Lengths.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

namespace {

const char16_t* const Tags[] = {u"div", u"p", u"span", u"ul", u"li", u"table", u"td", u"a", u"em", u"b"};

std::u16string makeSheet(int rules) {
    std::u16string css;
    for (int i = 0; i < rules; ++i) {
        const std::u16string tag = Tags[i % 10], cls = u"c" + std::u16string(1, char16_t(u'a' + i % 26));
        const std::u16string n = std::u16string(1, char16_t(u'0' + i % 10));
        switch (i % 5) {
        case 0: css += tag + u"." + cls + n; break;
        case 1: css += u"#id" + n + u" " + tag; break;
        case 2: css += Tags[(i + 3) % 10] + std::u16string(u" > ") + tag + u"." + cls; break;
        case 3: css += u"div " + tag + u" ." + cls; break;
        default: css += tag; break;
        }
        css += u" { color: #" + n + u"a" + n + u"; margin: " + n + u"px 2px; font: bold 12px/1.5 Arial }\n";
    }
    return css;
}

void parseSheet(TStyleList& list, const std::u16string& css) {
    list.Initialize(u"DejaVu Sans", u"DejaVu Sans Mono", 12, 0, 0xFF0000, 0x800080, 0x0000FF, true, 0, 1, 8, 8);
    TBuffer doc(css, std::u16string(), 1200);
    char16_t c;
    ParseStyleSheet(list, c, doc, false, true, u"");
}

void BM_ParseSheet(benchmark::State& state) {
    SetScreenPixelsPerInch(96);
    const std::u16string css = makeSheet(int(state.range(0)));
    for (auto _ : state) {
        TStyleList list;
        parseSheet(list, css);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(css.size() * 2));
}
BENCHMARK(BM_ParseSheet)->Arg(1000)->Arg(4000);

void BM_CascadeDeepChain(benchmark::State& state) {
    SetScreenPixelsPerInch(96);
    TStyleList list;
    parseSheet(list, makeSheet(4000));
    const int depth = int(state.range(0));
    for (auto _ : state) {
        TPropStack stack;
        auto root = std::make_unique<TProperties>(&stack, false);
        root->CopyDefault(*list.DefProp());
        root->Props[FontSize] = 12.0;
        stack.Add(std::move(root));
        for (int i = 0; i < depth; ++i) {
            auto p = std::make_unique<TProperties>(&stack, false);
            const std::u16string tag = Tags[i % 10];
            p->Inherit(tag, *stack.Last());
            TProperties* set = stack.Add(std::move(p));
            const std::u16string cls = u"c" + std::u16string(1, char16_t(u'a' + i % 26)) + u".cb";
            const std::u16string id = u"id" + std::u16string(1, char16_t(u'0' + i % 10));
            set->Combine(list, tag, cls, id, u"", u"", nullptr, stack.Count() - 2);
        }
        benchmark::DoNotOptimize(stack.Last());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * depth);
}
BENCHMARK(BM_CascadeDeepChain)->Arg(30)->Arg(100);

}  // namespace
