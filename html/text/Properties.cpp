#include "html/text/Properties.h"

#include "html/text/CharsetProbe.h"
#include "html/text/CodePages.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"

using namespace htmltext;

namespace {

int32_t gNextID = 0;

enum class InheritRule { Copy, Auto, No };

InheritRule inheritRule(int i) {
    if (i >= MarginTop && i <= piLeft) return InheritRule::Auto;
    switch (i) {
    case BackgroundColor:
    case BackgroundImage:
    case BackgroundPosition:
    case BackgroundRepeat:
    case BackgroundAttachment:
    case Position:
    case Float:
    case Clear:
    case PageBreakBefore:
    case PageBreakAfter:
    case PageBreakInside:
    case BorderCollapse:
    case OverFlow:
    case piDisplay: return InheritRule::No;
    default: return InheritRule::Copy;
    }
}

bool isText(const ThtVariant& v, std::u16string_view t) { return VarIsText(v, t); }

}  // namespace

// A fresh set's values (AutoSentinel for the box values, a z-index of 0)
// are those of a fresh property array.
TProperties::TProperties() { ID = ++gNextID; }

TProperties::TProperties(bool AUseQuirksMode) : TProperties() { FUseQuirksMode = AUseQuirksMode; }

TProperties::TProperties(TPropStack* APropStack, bool AUseQuirksMode) : TProperties(AUseQuirksMode) {
    PropStack = APropStack;
}

TProperties::TProperties(CopyTag, const TProperties& s)
    : PropStack(s.PropStack), InLink(s.InLink), DefFontname(s.DefFontname), PropTag(s.PropTag), PropClass(s.PropClass),
      PropID(s.PropID), PropPseudo(s.PropPseudo), PropTitle(s.PropTitle), PropStyle(s.PropStyle), FontBG(s.FontBG),
      Props(s.Props), Originals(s.Originals), ID(s.ID), FEmSize(s.FEmSize), FExSize(s.FExSize),
      FDefPointSize(s.FDefPointSize), FUseQuirksMode(s.FUseQuirksMode), FCharSet(s.FCharSet), FCodePage(s.FCodePage) {
    if (s.FIArray) FIArray = std::make_unique<TFontInfoArray>(*s.FIArray);
    if (s.TheFont) {
        TheFont = std::make_unique<ThtFont>();
        TheFont->Assign(s.TheFont.get());
    }
}

std::unique_ptr<TProperties> TProperties::CreateCopy(const TProperties& ASource) {
    return std::unique_ptr<TProperties>(new TProperties(CopyTag{}, ASource));
}

TProperties::~TProperties() = default;

void TProperties::Copy(const TProperties& Source) {
    FDefPointSize = Source.FDefPointSize;
    Props = Source.Props;
}

void TProperties::CopyDefault(const TProperties& Source) {
    Props = Source.Props;
    SetCodePage(Source.CodePage());
    DefFontname = Source.DefFontname;
    FDefPointSize = Source.FDefPointSize;
    PropTag = u"default";
}

void TProperties::Inherit(std::u16string_view Tag, const TProperties& Source) {
    if (Source.PropTag == u"span") {
        Props = Source.Props;
    } else if (Source.PropTag == u"thead" || Source.PropTag == u"tbody" || Source.PropTag == u"tfoot") {
        Props = Source.Props;
        Originals = Source.Originals;
    } else {
        for (int i = 0; i < StoredPropCount; ++i) {
            switch (inheritRule(i)) {
            case InheritRule::Copy: Props[size_t(i)] = Source.Props[size_t(i)]; break;
            case InheritRule::Auto: Props[size_t(i)] = int64_t(AutoSentinel); break;
            case InheritRule::No: break;
            }
        }
        if (Tag == u"table") Props[WordWrap] = std::u16string(u"normal");
    }
    FDefPointSize = Source.FDefPointSize;
    DefFontname = Source.DefFontname;
    FontBG = Source.FontBG;
    SetCodePage(Source.CodePage());
    PropTitle = Source.PropTitle;
    InLink = Source.InLink;
    FEmSize = Source.FEmSize;
    FExSize = Source.FExSize;
    if (Source.InLink && Source.FIArray) {
        if (!FIArray) FIArray = std::make_unique<TFontInfoArray>();
        FIArray->Assign(*Source.FIArray);
    }
}

void TProperties::Update(const TProperties& Source, TStyleList* Styles, int I) {
    for (int i = 0; i < StoredPropCount; ++i)
        if (!Originals[size_t(i)]) Props[size_t(i)] = Source.Props[size_t(i)];
    DropFont();
    if (!FIArray) return;
    if (Source.InLink) {
        if (Source.FIArray) FIArray->Assign(*Source.FIArray);
    } else if (PropPseudo == u"link") {
        FIArray.reset();
        InLink = false;
    } else if (Styles) {
        CalcLinkFontInfo(*Styles, I);
    }
}

void TProperties::Assign(const ThtVariant& Item, ThtPropertyIndex Index) {
    if (Index < 0 || Index >= StoredPropCount || Originals[Index]) return;
    Props[Index] = Item;
    Originals[Index] = true;
    if (InLink && FIArray) {
        for (auto& fi : FIArray->Ar) {
            if (Index == FontFamily) fi.iName = VarToText(Item);
            else if (Index == FontSize) fi.iSize = VarToDouble(Item);
            else if (Index == Color) fi.iColor = TColor(VarToInt(Item));
        }
    }
}

void TProperties::AddPropertyByName(std::u16string_view PropName, std::u16string_view PropValue) {
    ThtPropertyIndex index;
    if (TryStrToPropIndex(PropName, index) && index < StoredPropCount) SetDeclaration(index, PropValue);
}

bool TProperties::SetDeclaration(ThtPropertyIndex Index, std::u16string_view Value) {
    if (Index < 0 || Index >= StoredPropCount) return false;
    const std::u16string value(Value);
    // Only a value the index takes is stored: a rule keeps room for nothing else.
    ThtVariant v;
    TColor c;
    switch (Index) {
    case Color:
        // A value that is no colour ("inherit", a typo) is an invalid
        // declaration: the colour stays what it was.
        if (!TryTextToColor(value, false, c)) return false;
        v = int64_t(c);
        break;
    case BackgroundColor: v = int64_t(TryTextToColor(value, false, c) ? c : clNone); break;
    case BorderTopColor:
    case BorderRightColor:
    case BorderBottomColor:
    case BorderLeftColor:
        if (TryTextToColor(value, false, c)) v = int64_t(c);
        else if (lower(value) == u"currentcolor") v = std::u16string(u"currentColor");
        else return false;
        break;
    case Visibility:
        if (value == u"visible") v = int64_t(viVisible);
        else if (value == u"hidden") v = int64_t(viHidden);
        else return false;
        break;
    case TextTransform: v = int64_t(value == u"uppercase" ? txUpper : value == u"lowercase" ? txLower : txNone); break;
    case WordWrap: v = value == u"break-word" ? value : std::u16string(u"normal"); break;
    case FontVariant:
        if (value != u"small-caps" && value != u"normal") return false;
        v = value;
        break;
    case piWhiteSpace: {
        ThtWhiteSpaceStyle ws;
        if (!ParseWhiteSpaceKeyword(value, ws)) return false;
        v = value;
        break;
    }
    default: v = value; break;
    }
    Props[Index] = std::move(v);
    return true;
}

void TProperties::SetPropertyDefault(ThtPropertyIndex Index, const ThtVariant& Value) {
    if (Index < 0 || Index >= StoredPropCount) return;
    if (VarIsEmpty(Props[Index]) || VarIsAuto(Props[Index])) Props[Index] = Value;
}

void TProperties::SetPropertyDefaults(const ThtPropIndexSet& Indexes, const ThtVariant& Value) {
    for (int i = 0; i < StoredPropCount; ++i)
        if (Indexes.Contains(ThtPropertyIndex(i))) SetPropertyDefault(ThtPropertyIndex(i), Value);
}

void TProperties::SetFontBG() {
    if (VarIsOrdinal(Props[BackgroundColor]) && Originals[BackgroundColor])
        FontBG = TColor(VarInt(Props[BackgroundColor]));
}

void TProperties::SetCodePage(int CP) {
    const int cs = (CP == 1200 || CP == 1201 || CP == 65001) ? DEFAULT_CHARSET : CodePageToCharset(CP);
    AssignCharSetAndCodePage(cs, CP);
}

void TProperties::AssignCharSetAndCodePage(int CS, int CP) {
    if (CS == FCharSet && CP == FCodePage) return;
    if (CS != DEFAULT_CHARSET) CS = ProbeFontCharset(CS == 31 ? EASTEUROPE_CHARSET : CS);
    FCharSet = CS;
    if (FIArray)
        for (auto& fi : FIArray->Ar) fi.iCharSet = CS;
    FCodePage = CP;
}

// ---- typed getters -------------------------------------------------------

ThtDisplayStyle TProperties::GetDisplay() const {
    ThtDisplayStyle d = pdUnassigned;
    if (!VarIsStr(Props[piDisplay]) || !ParseDisplayKeyword(VarStr(Props[piDisplay]), d)) return pdUnassigned;
    return d;
}

ThtBulletStyle TProperties::GetListStyleType() const {
    ThtBulletStyle b = lbBlank;
    if (!VarIsStr(Props[ListStyleType]) || !ParseBulletStyleKeyword(VarStr(Props[ListStyleType]), b)) return lbBlank;
    return b;
}

std::u16string TProperties::GetListStyleImage() const { return UrlFromValue(VarStr(Props[ListStyleImage])); }

bool TProperties::GetBackgroundImage(std::u16string& Image) const {
    if (!VarIsStr(Props[BackgroundImage])) return false;
    if (VarStr(Props[BackgroundImage]) == u"none") {
        Image.clear();
        return true;
    }
    Image = UrlFromValue(VarStr(Props[BackgroundImage]));
    return !Image.empty();
}

void TProperties::GetBackgroundPos(int32_t EmSize, int32_t ExSize, PtPositionRec& P) const {
    P = PtPositionRec{};
    P.X.PosType = P.Y.PosType = bpDim;
    if (VarIsStr(Props[BackgroundPosition])) {
        const std::u16string text = trim(VarStr(Props[BackgroundPosition]));
        std::u16string words[2];
        int count = 1;
        const size_t blank = text.find(u' ');
        words[0] = text.substr(0, blank);
        if (blank != std::u16string::npos) {
            words[1] = trim(text.substr(blank + 1));
            count = 2;
        }
        int slot = 1;
        bool lastWasY = false;
        for (int w = 0; w < count; ++w, ++slot) {
            const std::u16string& word = words[w];
            PositionRec& axis = slot == 1 ? P.X : P.Y;
            axis.PosType = bpDim;
            lastWasY = false;
            if (word == u"center") {
                axis.PosType = bpCenter;
            } else if (word.find(u'%') != std::u16string::npos) {
                axis.PosType = bpPercent;
            } else if (word == u"left" || word == u"right") {
                if (slot == 2) P.Y = P.X;
                P.X.PosType = word == u"left" ? bpLeft : bpRight;
            } else if (word == u"top" || word == u"bottom") {
                P.Y.PosType = word == u"top" ? bpTop : bpBottom;
                lastWasY = true;
                if (slot == 1) --slot;
            }
            if (axis.PosType == bpPercent || axis.PosType == bpDim)
                axis.Value = LengthToPixels(word, false, 100, EmSize, ExSize, 0);
        }
        if (count == 1) {
            if (lastWasY) P.X.PosType = bpCenter;
            else P.Y.PosType = bpCenter;
        }
    }
    P.X.RepeatD = P.Y.RepeatD = true;
    const ThtVariant& rep = Props[BackgroundRepeat];
    if (isText(rep, u"no-repeat")) P.X.RepeatD = P.Y.RepeatD = false;
    else if (isText(rep, u"repeat-x")) P.Y.RepeatD = false;
    else if (isText(rep, u"repeat-y")) P.X.RepeatD = false;
    const bool fixed = VarIsStr(Props[BackgroundAttachment]) && trim(VarStr(Props[BackgroundAttachment])) == u"fixed";
    P.X.Fixed = P.Y.Fixed = fixed;
}

bool TProperties::GetVertAlign(ThtAlignmentStyle& Align) const {
    const std::u16string& s = VarStr(Props[VerticalAlign]);
    if (!VarIsStr(Props[VerticalAlign])) return false;
    if (s == u"top" || s == u"text-top") Align = aTop;
    else if (s == u"middle") Align = aMiddle;
    else if (s == u"baseline") Align = aBaseline;
    else if (s == u"bottom") Align = aBottom;
    else if (s == u"sub") Align = aSub;
    else if (s == u"super") Align = aSuper;
    else return false;
    return true;
}

bool TProperties::GetFloat(ThtAlignmentStyle& Align) const {
    const ThtVariant& v = Props[Float];
    if (isText(v, u"left")) Align = aLeft;
    else if (isText(v, u"right")) Align = aRight;
    else if (isText(v, u"none")) Align = aNone;
    else return false;
    return true;
}

bool TProperties::GetClear(ThtClearStyle& Clr) {
    ThtVariant& v = Props[Clear];
    if (!VarIsStr(v)) return false;
    bool ok = true;
    const std::u16string s = VarStr(v);
    if (s == u"left") Clr = clLeft;
    else if (s == u"right") Clr = clRight;
    else if (s == u"both") Clr = clAll;
    else if (s == u"none") Clr = clrNone;
    else ok = false;
    v = std::monostate{};
    return ok;
}

ThtBoxPositionStyle TProperties::GetPosition() const {
    const ThtVariant& v = Props[Position];
    if (isText(v, u"absolute")) return posAbsolute;
    if (isText(v, u"fixed")) return posFixed;
    if (isText(v, u"relative")) return posRelative;
    return posStatic;
}

ThtVisibilityStyle TProperties::GetVisibility() const {
    return VarIsOrdinal(Props[Visibility]) && VarInt(Props[Visibility]) == 1 ? viHidden : viVisible;
}

int32_t TProperties::GetZIndex() const {
    const ThtVariant& v = Props[ZIndex];
    if (VarIsOrdinal(v)) return int32_t(VarInt(v));
    if (VarIsStr(v)) return int32_t(toIntDef(VarStr(v), 0));
    return 0;
}

bool TProperties::IsOverflowHidden() const { return isText(Props[OverFlow], u"hidden"); }
bool TProperties::Collapse() const { return isText(Props[BorderCollapse], u"collapse"); }
bool TProperties::ShowEmptyCells() const { return !isText(Props[piEmptyCells], u"hide"); }

int32_t TProperties::GetLineHeight(int32_t NewHeight) const {
    const ThtVariant& v = Props[LineHeight];
    if (!VarIsStr(v)) return -1;
    double n;
    std::u16string unit;
    if (SplitNumberAndUnit(VarStr(v), n, unit) && unit.empty()) return clampToInt32(double(roundEven(NewHeight * n)));
    return LengthToPixels(VarStr(v), true, FEmSize, FEmSize, FExSize, -1);
}

int32_t TProperties::GetTextIndent(bool& PC) const {
    PC = false;
    const ThtVariant& v = Props[TextIndent];
    if (!VarIsStr(v)) return 0;
    if (VarStr(v).find(u'%') != std::u16string::npos) {
        PC = true;
        return LengthToPixels(VarStr(v), false, 100, FEmSize, FExSize, 0);
    }
    return LengthToPixels(VarStr(v), false, 0, FEmSize, FExSize, 0);
}

ThtTextTransformStyle TProperties::GetTextTransform() const {
    const ThtVariant& v = Props[TextTransform];
    if (VarIsOrdinal(v) && VarInt(v) >= txNone && VarInt(v) <= txCaps) return ThtTextTransformStyle(VarInt(v));
    return txNone;
}

std::u16string TProperties::GetFontVariant() const {
    return VarIsStr(Props[FontVariant]) ? VarStr(Props[FontVariant]) : std::u16string(u"normal");
}

void TProperties::GetPageBreaks(bool& Before, bool& After, bool& Intact) const {
    Before = isText(Props[PageBreakBefore], u"always");
    After = isText(Props[PageBreakAfter], u"always");
    Intact = isText(Props[PageBreakInside], u"avoid");
}

TColor TProperties::GetBackgroundColor() const {
    const ThtVariant& v = Props[BackgroundColor];
    return VarIsOrdinal(v) && Originals[BackgroundColor] ? TColor(VarInt(v)) : clNone;
}

TColor TProperties::GetOriginalForegroundColor() const {
    const ThtVariant& v = Props[Color];
    return VarIsOrdinal(v) && Originals[Color] ? TColor(VarInt(v)) : clNone;
}

bool TProperties::GetBorderStyle(ThtPropertyIndex Index, ThtBorderStyle& BorderStyle) const {
    if (Index < BorderTopStyle || Index > BorderLeftStyle) return false;
    const ThtVariant& v = Props[Index];
    if (VarIsStr(v)) return ParseBorderStyleKeyword(VarStr(v), BorderStyle);
    if (VarIsOrdinal(v) && VarInt(v) >= bssNone && VarInt(v) <= bssDouble) {
        BorderStyle = ThtBorderStyle(VarInt(v));
        return true;
    }
    return false;
}

bool TProperties::BorderStyleNotBlank() const {
    ThtBorderStyle s;
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        if (GetBorderStyle(ThtPropertyIndex(i), s)) return true;
    return false;
}

bool TProperties::HasBorderStyle() const {
    ThtBorderStyle s;
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        if (GetBorderStyle(ThtPropertyIndex(i), s) && s != bssNone) return true;
    return false;
}

bool TProperties::HasBorderWidth() const {
    for (int i = BorderTopWidth; i <= BorderLeftWidth; ++i)
        if (!VarIsAuto(Props[size_t(i)]) && !VarIsEmpty(Props[size_t(i)])) return true;
    return false;
}

bool TProperties::GetBoxSizing(ThtBoxSizing& VBoxSizing) const {
    return VarIsStr(Props[BoxSizing]) && ParseBoxSizingKeyword(VarStr(Props[BoxSizing]), VBoxSizing);
}

int32_t TProperties::SpacingPixels(ThtPropertyIndex Index) const {
    const ThtVariant& v = Props[Index];
    if (!VarIsStr(v)) return -1;
    double n;
    std::u16string unit;
    if (SplitNumberAndUnit(VarStr(v), n, unit) && unit.empty()) return clampToInt32(double(roundEven(n)));
    return LengthToPixels(VarStr(v), true, FEmSize, FEmSize, FExSize, -1);
}

int32_t TProperties::GetBorderSpacingHorz() const { return SpacingPixels(BorderSpacingHorz); }
int32_t TProperties::GetBorderSpacingVert() const { return SpacingPixels(BorderSpacingVert); }

bool TProperties::HasBorderSpacing() const {
    return !VarIsAuto(Props[BorderSpacingHorz]) && !VarIsEmpty(Props[BorderSpacingHorz]);
}

std::u16string UrlFromValue(std::u16string_view Value) {
    const size_t at = Value.find(u"url(");
    if (at == std::u16string_view::npos) return {};
    size_t i = at + 4;
    auto blank = [](char16_t c) { return c == u' ' || c == u'\n' || c == u'\f' || c == u'\r'; };
    while (i < Value.size() && blank(Value[i])) ++i;
    if (i + 1 < Value.size() && (Value[i] == u'\'' || Value[i] == u'"')) {
        const char16_t q = Value[i];
        const size_t end = Value.find(q, i + 1);
        return std::u16string(
            Value.substr(i + 1, end == std::u16string_view::npos ? std::u16string_view::npos : end - i - 1));
    }
    int depth = 0;
    size_t j = i;
    for (; j < Value.size(); ++j) {
        const char16_t c = Value[j];
        if (c == u'(') ++depth;
        else if (c == u')') {
            if (depth == 0) break;
            --depth;
        } else if (blank(c) && depth == 0) break;
    }
    return std::u16string(Value.substr(i, j - i));
}
