// Any text parses as a style sheet (from a STYLE element, and as a sheet
// linked from a local folder and from the web) and as a style attribute
// without harm; a STYLE content hands back either the end or a '<'; whatever
// keys the sheet leaves, the cascade of a small chain of elements (a link
// among them) runs through them, and each element's box values convert to
// pixels within the length range.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "html/text/Buffer.h"
#include "html/text/Lengths.h"
#include "html/text/Margins.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

// Link fonts look up installed faces through Qt: no display is needed.
static const bool offscreen = [] { return setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0; }();

namespace {

bool isLengthIndex(int i) {
    return (i >= piMinHeight && i <= piMaxWidth) || (i >= MarginTop && i <= BorderLeftWidth) ||
           (i >= piWidth && i <= BorderSpacingVert);
}

// Sizes, margins, paddings, borders and offsets stay within the length
// range (or are a sentinel), before and after the box rules.
void checkBox(const TProperties& p) {
    ThtVMarginArray vm;
    p.GetVMarginArray(vm);
    ThtMarginArray m;
    ConvertMargins(vm, 800, 600, 16, 8, 3, m);
    LengthConversionRec rec;
    InitLengthConversion(800, 600, 16, 8, 3, rec);
    ConvertVerticalMargins(vm, rec, m);
    for (bool quirks : {false, true}) {
        ThtMarginArray q = m;
        ApplyMinMaxAndBoxSizing(q, quirks);
        for (int i = LowMarginIndex; i <= HighMarginIndex; ++i) {
            if (!isLengthIndex(i)) continue;
            const int32_t v = q[i];
            const bool sentinel = v == AutoSentinel || v == NoValueSentinel || v == DefaultParagraphSpace;
            if (!sentinel && (v > MaxLengthPixels || v < -MaxLengthPixels)) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)offscreen;
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
    if (size % 2) text += char16_t(data[size - 1]);
    const struct {
        bool fromLink;
        const char16_t* path;
    } sheets[] = {{false, u""}, {true, u"/css"}, {true, u"http://h/css/"}};
    for (const auto& sheet : sheets) {
        const bool fromLink = sheet.fromLink;
        TStyleList styles(fromLink);
        char16_t c = u'?';
        TBuffer doc(text, std::u16string(u"fuzz.css"), 1200);
        ParseStyleSheet(styles, c, doc, fromLink, fromLink, sheet.path);
        if (c != 0 && c != u'<') std::abort();
        if (fromLink && c != 0) std::abort();
        TPropStack stack;
        stack.Add(std::make_unique<TProperties>(&stack, fromLink));
        const char16_t* const chain[][3] = {
            {u"div", u"a.b", u"main"}, {u"ul", u"", u""}, {u"li", u"x", u""}, {u"a", u"b", u"l"}, {u"span", u"", u""}};
        for (const auto& e : chain) {
            auto p = std::make_unique<TProperties>(&stack, fromLink);
            p->Inherit(e[0], *stack.Last());
            TProperties* set = stack.Add(std::move(p));
            set->Combine(styles, e[0], e[1], e[2], std::u16string_view(e[0]) == u"a" ? u"link" : u"", u"", nullptr,
                         stack.Count() - 2);
            checkBox(*set);
        }
        if (stack.Count() != 6) std::abort();
    }
    TProperties props;
    ParseStyleAttributeText(text, props);
    checkBox(props);
    return 0;
}
