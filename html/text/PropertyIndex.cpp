#include "html/text/PropertyIndex.h"

#include <algorithm>
#include <string>
#include <vector>

#include "html/text/HtmlText.h"

namespace {

// clang-format off
const char16_t* const PropNames[PropIndexCount] = {
    u"font-family", u"font-size", u"font-style", u"font-weight", u"text-align", u"text-decoration",
    u"letter-spacing", u"color", u"background-color", u"background-image", u"background-position",
    u"background-repeat", u"background-attachment", u"min-height", u"min-width", u"max-height", u"max-width",
    u"box-sizing", u"margin-top", u"margin-right", u"margin-bottom", u"margin-left", u"padding-top",
    u"padding-right", u"padding-bottom", u"padding-left", u"border-top-width", u"border-right-width",
    u"border-bottom-width", u"border-left-width", u"border-top-color", u"border-right-color",
    u"border-bottom-color", u"border-left-color", u"border-top-style", u"border-right-style",
    u"border-bottom-style", u"border-left-style", u"width", u"height", u"top", u"right", u"bottom", u"left",
    u"thv-border-spacing-horz", u"thv-border-spacing-vert", u"visibility", u"line-height", u"vertical-align",
    u"position", u"z-index", u"list-style-type", u"list-style-image", u"float", u"clear", u"text-indent",
    u"page-break-before", u"page-break-after", u"page-break-inside", u"text-transform", u"word-wrap",
    u"font-variant", u"border-collapse", u"overflow", u"display", u"empty-cells", u"white-space",
    u"margin", u"padding", u"border-width", u"border", u"border-top", u"border-right", u"border-bottom",
    u"border-left", u"font", u"background", u"list-style", u"border-color", u"border-style", u"border-spacing",
};
// clang-format on

struct NameIndex {
    std::u16string_view Name;
    ThtPropertyIndex Index;
};

const std::vector<NameIndex>& sortedNames() {
    static const std::vector<NameIndex> names = [] {
        std::vector<NameIndex> v;
        for (int i = 0; i < PropIndexCount; ++i) v.push_back({PropNames[i], ThtPropertyIndex(i)});
        std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
        return v;
    }();
    return names;
}

}  // namespace

std::u16string_view PropWords(ThtPropertyIndex Index) {
    return (Index >= 0 && Index < PropIndexCount) ? PropNames[Index] : std::u16string_view();
}

bool TryStrToPropIndex(std::u16string_view Name, ThtPropertyIndex& Index) {
    const std::u16string key = htmltext::lower(Name);
    const auto& v = sortedNames();
    auto it = std::lower_bound(v.begin(), v.end(), std::u16string_view(key),
                               [](const NameIndex& e, std::u16string_view n) { return e.Name < n; });
    if (it == v.end() || it->Name != key) return false;
    Index = it->Index;
    return true;
}
