#include "html/text/StyleList.h"

#include <algorithm>
#include <cstdio>

#include "html/text/ScreenColors.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlText.h"

using namespace htmltext;

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool isItemChar(char16_t c) { return c == u'-' || c == u'_' || isDigit(c) || (c >= u'a' && c <= u'z'); }

ThtVariant text(std::u16string_view t) { return std::u16string(t); }

}  // namespace

int CompareStyleKeys(std::u16string_view a, std::u16string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Digit runs by value: skip leading zeros, then the longer is larger.
            size_t ie = i, je = j;
            while (ie < a.size() && isDigit(a[ie])) ++ie;
            while (je < b.size() && isDigit(b[je])) ++je;
            size_t iz = i, jz = j;
            while (iz + 1 < ie && a[iz] == u'0') ++iz;
            while (jz + 1 < je && b[jz] == u'0') ++jz;
            if (ie - iz != je - jz) return ie - iz < je - jz ? -1 : 1;
            const int c = a.substr(iz, ie - iz).compare(b.substr(jz, je - jz));
            if (c != 0) return c < 0 ? -1 : 1;
            if (ie - i != je - j) return ie - i < je - j ? -1 : 1;  // "01" after "1"
            i = ie;
            j = je;
            continue;
        }
        const char16_t x = lowerChar(a[i]), y = lowerChar(b[j]);
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

std::u16string SortSelectorItems(std::u16string_view Text) {
    std::vector<std::u16string> items;
    for (size_t i = 0; i < Text.size();) {
        size_t e = i + 1;
        while (e < Text.size() && isItemChar(Text[e])) ++e;
        const std::u16string_view item = Text.substr(i, e - i);
        const char16_t kind = item[0] == u'.' ? u'1' : item[0] == u'#' ? u'2' : item[0] == u':' ? u'3' : u'0';
        items.push_back(kind + std::u16string(item));
        i = e;
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const auto& a, const auto& b) { return CompareStyleKeys(a, b) < 0; });
    std::u16string out;
    for (const auto& it : items) out += it.substr(1);
    return out;
}

// ---- the list --------------------------------------------------------------

TStyleList::TStyleList(bool AUseQuirksMode) : FUseQuirksMode(AUseQuirksMode) {}

TStyleList::~TStyleList() = default;

bool TStyleList::Find(std::u16string_view Key, int& Index) const {
    auto it = std::lower_bound(FItems.begin(), FItems.end(), Key,
                               [](const auto& e, std::u16string_view k) { return CompareStyleKeys(e.Key, k) < 0; });
    Index = int(it - FItems.begin());
    return it != FItems.end() && CompareStyleKeys(it->Key, Key) == 0;
}

TProperties* TStyleList::Lookup(std::u16string_view Key) const {
    int i;
    return Find(Key, i) ? Objects(i) : nullptr;
}

int TStyleList::AddObject(std::u16string S, std::unique_ptr<TProperties> AObject) {
    auto it = std::upper_bound(FItems.begin(), FItems.end(), std::u16string_view(S),
                               [](std::u16string_view k, const auto& e) { return CompareStyleKeys(k, e.Key) < 0; });
    AObject->PropTag = S;
    AObject->SetDefPointSize(FDefPointSize);
    it = FItems.insert(it, Entry{std::move(S), std::move(AObject), nullptr});
    return int(it - FItems.begin());
}

const std::vector<ThtSelectorPart>& TStyleList::SelectorParts(int Index) const {
    const Entry& e = FItems.at(size_t(Index));
    if (!e.Parts) e.Parts = std::make_unique<std::vector<ThtSelectorPart>>(SplitSelectorKey(e.Key));
    return *e.Parts;
}

std::vector<ThtSelectorPart> SplitSelectorKey(std::u16string_view Key) {
    constexpr int MaxSelectorParts = 20;
    std::vector<std::u16string> texts;
    std::u16string rest = trim(Key);
    while (!rest.empty()) {
        if (int(texts.size()) == MaxSelectorParts - 1) {
            texts.push_back(rest);
            break;
        }
        const size_t blank = rest.find(u' ');
        texts.push_back(rest.substr(0, blank));
        rest = blank == std::u16string::npos ? std::u16string() : trim(rest.substr(blank + 1));
    }
    if (texts.size() >= 2) {
        size_t d = 0;
        while (d < texts[1].size() && isDigit(texts[1][d])) ++d;
        texts[1].erase(0, d);
    }
    std::vector<ThtSelectorPart> parts(texts.size());
    for (size_t k = 0; k < texts.size(); ++k) {
        std::u16string t = texts[k];
        if (k >= 1 && t.find(u'>') != std::u16string::npos) {
            parts[k - 1].Child = true;
            std::erase(t, u'>');
        }
        ThtSelectorPart& p = parts[k];
        if (const size_t c = t.find(u':'); c != std::u16string::npos) {
            p.Pseudo = t.substr(c + 1);
            t.erase(c);
        }
        if (const size_t h = t.find(u'#'); h != std::u16string::npos) {
            p.ID = t.substr(h + 1);
            t.erase(h);
        }
        if (const size_t d = t.find(u'.'); d != std::u16string::npos) {
            p.Class = t.substr(d + 1);
            t.erase(d);
        }
        p.Element = t;
    }
    return parts;
}

void TStyleList::Clear() {
    FItems.clear();
    FDefProp = nullptr;
    SeqNo = 10;
}

void TStyleList::SetLinksActive(bool) {}

std::u16string TStyleList::GetSeqNo() {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*d", SeqNoDigits, SeqNo++);
    return fromUtf8(buf);
}

TProperties* TStyleList::NewEntry(std::u16string_view Key, bool Quirks) {
    auto p = std::make_unique<TProperties>(Quirks);
    TProperties* raw = p.get();
    AddObject(std::u16string(Key), std::move(p));
    return raw;
}

void TStyleList::AddModifyProp(std::u16string_view Selector, std::u16string_view Prop, std::u16string_view Value) {
    ThtPropertyIndex index;
    if (!TryStrToPropIndex(Prop, index) || index >= StoredPropCount) return;
    TProperties* entry = Lookup(Selector);
    std::unique_ptr<TProperties> created;
    if (!entry) {
        created = std::make_unique<TProperties>();
        created->SetDefPointSize(FDefPointSize);
        entry = created.get();
    }
    if (index == Color) {
        TColor c;
        if (TryTextToColor(Value, false, c)) {
            if (Selector == u":link") {
                ModifyLinkColor(u"hover", c);
                ModifyLinkColor(u"visited", c);
            } else if (Selector == u":visited") {
                ModifyLinkColor(u"hover", c);
            }
        }
    }
    entry->SetDeclaration(index, Value);
    if (created) AddObject(std::u16string(Selector), std::move(created));
    if (Selector.find(u":hover") != std::u16string_view::npos) SetLinksActive(true);
    if (Selector == u"a") AddModifyProp(u"::link", Prop, Value);
    if (FUseQuirksMode && Selector == u"body" && index == Color) FixupTableColor(*entry);
}

TProperties* TStyleList::AddDuplicate(std::u16string_view Tag, const TProperties& Prop) {
    auto p = std::make_unique<TProperties>(Prop.PropStack, FUseQuirksMode);
    p->Copy(Prop);
    TProperties* raw = p.get();
    AddObject(std::u16string(Tag), std::move(p));
    return raw;
}

void TStyleList::ModifyLinkColor(std::u16string_view Pseudo, TColor AColor) {
    if (TProperties* p = Lookup(u"::" + std::u16string(Pseudo))) p->Props[Color] = int64_t(AColor);
}

void TStyleList::FixupTableColor(const TProperties& BodyProp) {
    static const ThtPropertyIndex borderColors[] = {BorderTopColor, BorderRightColor, BorderBottomColor,
                                                    BorderLeftColor};
    if (TProperties* table = Lookup(u"table")) {
        for (ThtPropertyIndex i : {FontSize, FontStyle, FontWeight, FontVariant, Color})
            table->Props[i] = BodyProp.Props[i];
        for (ThtPropertyIndex i : borderColors) table->Props[i] = BodyProp.Props[i];
    }
    for (const char16_t* cell : {u"td", u"th"})
        if (TProperties* p = Lookup(cell)) {
            p->Props[Color] = BodyProp.Props[Color];
            for (ThtPropertyIndex i : borderColors) p->Props[i] = BodyProp.Props[i];
        }
}

void TStyleList::Initialize(std::u16string_view FontName, std::u16string_view PreFontName, double PointSize,
                            TColor AColor, TColor AHotspot, TColor AVisitedColor, TColor AActiveColor,
                            bool LinkUnderline, int ACodePage, int ACharSet, int MarginHeight, int MarginWidth) {
    Clear();
    FDefPointSize = PointSize;
    const bool q = FUseQuirksMode;
    const int32_t pal = ColorPaletteFlag();

    TProperties* p = NewEntry(u"default", q);
    p->Props[FontFamily] = text(FontName);
    p->DefFontname = std::u16string(FontName);
    p->Props[FontSize] = int64_t(roundEven(PointSize));
    p->Props[FontStyle] = text(u"none");
    p->Props[FontWeight] = text(u"normal");
    p->Props[TextAlign] = text(u"left");
    p->Props[TextDecoration] = text(u"none");
    p->Props[TextTransform] = int64_t(txNone);
    p->Props[WordWrap] = text(u"normal");
    p->Props[piWhiteSpace] = text(u"normal");
    p->Props[FontVariant] = text(u"normal");
    p->Props[Color] = int64_t(AColor);
    p->Props[MarginTop] = int64_t(MarginHeight);
    p->Props[MarginRight] = int64_t(MarginWidth);
    p->Props[MarginBottom] = int64_t(MarginHeight);
    p->Props[MarginLeft] = int64_t(MarginWidth);
    p->Props[Visibility] = int64_t(viVisible);
    p->Props[LetterSpacing] = int64_t(0);
    p->Props[BoxSizing] = int64_t(0);
    p->SetCodePage(ACodePage);
    p->SetCharSet(ACharSet);
    FDefProp = p;

    if (q) {
        p = NewEntry(u"td", q);
        p->Props[FontSize] = PointSize;
        p->Props[FontStyle] = text(u"none");
        p->Props[FontWeight] = text(u"normal");
        p->Props[Color] = int64_t(AColor);
        AddDuplicate(u"table", *p);
        p = AddDuplicate(u"th", *p);
        p->Props[FontWeight] = text(u"bold");
    }

    p = NewEntry(u"::link", q);
    p->Props[Color] = int64_t(AHotspot | pal);
    p->Props[TextDecoration] = text(LinkUnderline ? u"underline" : u"none");
    NewEntry(u"::visited", q)->Props[Color] = int64_t(AVisitedColor | pal);
    NewEntry(u"::hover", q)->Props[Color] = int64_t(AActiveColor | pal);
    NewEntry(u"null", q);

    p = NewEntry(u"pre", q);
    p->Props[FontFamily] = text(PreFontName);
    p->Props[FontSize] = PointSize * 10 / 12;
    p->Props[FontStyle] = text(u"none");
    p->Props[FontWeight] = text(u"normal");
    p->Props[TextDecoration] = text(u"none");
    p->Props[piWhiteSpace] = text(u"pre");

    p = NewEntry(u"p", q);
    p->Props[MarginTop] = int64_t(DefaultParagraphSpace);
    p->Props[MarginBottom] = int64_t(DefaultParagraphSpace);
    NewEntry(u"p 11pre", q)->Props[MarginTop] = int64_t(0);

    for (const char16_t* list : {u"ul", u"ol", u"menu", u"dir"}) {
        p = NewEntry(list, q);
        p->Props[ListStyleType] = text(u"blank");
        p->Props[MarginTop] = int64_t(DefaultParagraphSpace);
        p->Props[MarginBottom] = int64_t(DefaultParagraphSpace);
        p->Props[MarginLeft] = int64_t(AutoSentinel);
        p->Props[PaddingLeft] = int64_t(40);
    }
    p = NewEntry(u"dl", q);
    p->Props[ListStyleType] = text(u"none");
    p->Props[MarginTop] = p->Props[MarginBottom] = p->Props[MarginLeft] = int64_t(0);
    p = NewEntry(u"dd", q);
    p->Props[MarginTop] = p->Props[MarginBottom] = int64_t(0);
    p->Props[MarginLeft] = int64_t(40);
    p = NewEntry(u"blockquote", q);
    p->Props[MarginTop] = int64_t(DefaultParagraphSpace);
    p->Props[MarginBottom] = int64_t(14);
    p->Props[MarginLeft] = int64_t(40);

    p = NewEntry(u"code", q);
    p->Props[FontFamily] = text(PreFontName);
    p->Props[FontSize] = text(u"0.83em");
    for (const char16_t* d : {u"tt", u"kbd", u"samp"}) AddDuplicate(d, *p);
    p = NewEntry(u"b", q);
    p->Props[FontWeight] = text(u"bold");
    AddDuplicate(u"strong", *p);
    if (!q) {
        AddDuplicate(u"th", *p);
        NewEntry(u"table", false)->Props[TextAlign] = text(u"none");
    }

    p = NewEntry(u"sup", q);
    p->Props[FontSize] = text(u"0.83em");
    p->Props[VerticalAlign] = text(u"super");
    p = NewEntry(u"sub", q);
    p->Props[FontSize] = text(u"0.83em");
    p->Props[VerticalAlign] = text(u"sub");
    NewEntry(u"big", q)->Props[FontSize] = text(u"1.17em");
    NewEntry(u"small", q)->Props[FontSize] = text(u"0.83em");

    p = NewEntry(u"i", q);
    p->Props[FontStyle] = text(u"italic");
    for (const char16_t* d : {u"em", u"cite", u"var", u"dfn", u"address"}) AddDuplicate(d, *p);
    p = NewEntry(u"u", q);
    p->Props[TextDecoration] = text(u"underline");
    AddDuplicate(u"ins", *p);
    p = NewEntry(u"s", q);
    p->Props[TextDecoration] = text(u"line-through");
    for (const char16_t* d : {u"strike", u"del"}) AddDuplicate(d, *p);
    p = NewEntry(u"center", q);
    p->Props[TextAlign] = text(u"center");
    AddDuplicate(u"caption", *p);

    p = NewEntry(u"input", q);
    p->Props[FontFamily] = text(u"Arial Unicode MS, Arial");
    p->Props[FontSize] = text(u"10pt");
    p->Props[FontStyle] = text(u"none");
    p->Props[FontWeight] = text(u"normal");
    p->Props[TextAlign] = text(u"left");
    p->Props[TextDecoration] = text(u"none");
    p->Props[Color] = int64_t(AColor);
    AddDuplicate(u"select", *p);
    AddDuplicate(u"textarea", *p)->Props[FontFamily] = IsWin95 ? text(u"Arial Unicode MS, Arial") : text(PreFontName);

    p = NewEntry(u"hr", q);
    p->Props[MarginTop] = int64_t(10);
    p->Props[MarginRight] = int64_t(0);
    p->Props[MarginBottom] = int64_t(10);
    p->Props[MarginLeft] = int64_t(0);

    const char16_t* sizes[] = {u"2em", u"1.5em", u"1.17em", u"1em", u"1em", u"1em"};
    const char16_t* margins[] = {u"", u"", u"", u"1.67em", u"1.5em", u"1.12em"};
    for (int h = 0; h < 6; ++h) {
        const char16_t tag[] = {u'h', char16_t(u'1' + h), 0};
        p = NewEntry(tag, q);
        p->Props[FontSize] = text(sizes[h]);
        const ThtVariant m = h < 3 ? ThtVariant(int64_t(19)) : text(margins[h]);
        p->Props[MarginTop] = m;
        p->Props[MarginBottom] = m;
        p->Props[FontWeight] = text(u"bolder");
    }

    p = NewEntry(u"mark", false);
    p->Props[FontStyle] = text(u"none");
    p->Props[BackgroundColor] = int64_t(0x00FFFF);
    p->Props[Color] = int64_t(0);

    p = NewEntry(u"abbr", q);
    p->Props[BorderBottomStyle] = text(u"dotted");
    p->Props[BorderBottomWidth] = text(u"1px");
    AddDuplicate(u"acronym", *p);
}

// ---- the stack -----------------------------------------------------------

TProperties* TPropStack::Add(std::unique_ptr<TProperties> P) {
    FItems.push_back(std::move(P));
    return FItems.back().get();
}

TProperties* TPropStack::Insert(int Index, std::unique_ptr<TProperties> P) {
    Index = std::clamp(Index, 0, Count());
    return FItems.insert(FItems.begin() + Index, std::move(P))->get();
}

void TPropStack::Delete(int Index) {
    if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}
