// Any text parses as a style sheet (from a STYLE element and as a linked
// sheet) and as a style attribute without harm; a STYLE content hands back
// either the end or a '<'.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "html/text/Buffer.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
    }
    TProperties props;
    ParseStyleAttributeText(text, props);
    return 0;
}
