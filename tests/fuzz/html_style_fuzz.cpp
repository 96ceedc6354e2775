// Any text parses as a style sheet (from a STYLE element and as a linked
// sheet) and as a style attribute without harm; a STYLE content hands back
// either the end or a '<'; whatever keys the sheet leaves, the cascade of a
// small chain of elements (a link among them) runs through them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include <memory>

#include "html/text/Buffer.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

// Link fonts look up installed faces through Qt: no display is needed.
static const bool offscreen = [] { return setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0; }();

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)offscreen;
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
    if (size % 2) text += char16_t(data[size - 1]);
    for (bool fromLink : {false, true}) {
        TStyleList styles(fromLink);
        char16_t c = u'?';
        TBuffer doc(text, std::u16string(u"fuzz.css"), 1200);
        ParseStyleSheet(styles, c, doc, fromLink, fromLink, fromLink ? u"/css" : u"");
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
        }
        if (stack.Count() != 6) std::abort();
    }
    TProperties props;
    ParseStyleAttributeText(text, props);
    return 0;
}
