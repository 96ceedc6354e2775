#include "html/text/Fonts.h"

#include <algorithm>
#include <cmath>

#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "platform/framework/DeviceContext.h"

using namespace htmltext;

IMPLEMENT_CLASS(ThtFont, TFont) {}

ThtFont::ThtFont() { SetCharset(DEFAULT_CHARSET); }

void ThtFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<ThtFont*>(Source)) {
        bgColor = f->bgColor;
        tmHeight = f->tmHeight;
        tmDescent = f->tmDescent;
        tmExternalLeading = f->tmExternalLeading;
        tmAveCharWidth = f->tmAveCharWidth;
        tmMaxCharWidth = f->tmMaxCharWidth;
        tmCharset = f->tmCharset;
        CharExtra = f->CharExtra;
        EmSize = f->EmSize;
        ExSize = f->ExSize;
    }
    TFont::Assign(Source);
}

void ThtFont::Assign(const ThtFontInfo& Info) {
    SetName(toUtf8(Info.iName));
    SetHeight(FontHeightOfSize(Info.iSize));
    SetStyle(Info.iStyle);
    bgColor = Info.ibgColor;
    SetColor(Info.iColor);
    SetCharset(Info.iCharSet);
}

void ThtFont::AssignToCanvas(TCanvas* Canvas) const {
    if (!Canvas) return;
    Canvas->SetFont(const_cast<ThtFont*>(this));
    if (TDeviceContext* dc = Canvas->Handle()) dc->SetTextCharacterExtra(CharExtra);
}

int FontHeightOfSize(double Points) { return -clampToInt32(double(roundEven(ScreenPixelsPerInch() * Points / 72))); }

// ---- the cache ----------------------------------------------------------

void ThtFontCache::AddEntry(std::shared_ptr<ThtFont> F, int KeyHeight, int KeyCharset) {
    const std::string key = toUtf8(lower(fromUtf8(F->Name())));
    auto it = std::lower_bound(FFontsByName.begin(), FFontsByName.end(), key,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    if (it == FFontsByName.end() || it->first != key) it = FFontsByName.insert(it, {key, {}});
    it->second.push_back(Entry{KeyHeight, KeyCharset, std::move(F)});
}

void ThtFontCache::AddFont(std::shared_ptr<ThtFont> F) {
    if (!F) return;
    const int cs = F->Charset(), height = F->Height();
    AddEntry(std::move(F), height, cs);
}

size_t ThtFontCache::Count() const {
    size_t n = 0;
    for (const auto& e : FFontsByName) n += e.second.size();
    return n;
}

ThtFont* ThtFontCache::FindFont(const ThtFontInfo& Info) const {
    const std::string key = toUtf8(lower(Info.iName));
    auto it = std::lower_bound(FFontsByName.begin(), FFontsByName.end(), key,
                               [](const auto& e, const std::string& k) { return e.first < k; });
    if (it == FFontsByName.end() || it->first != key) return nullptr;
    const int height = FontHeightOfSize(Info.iSize);
    for (const Entry& e : it->second)
        if (e.KeyHeight == height && e.Font->Style() == Info.iStyle && e.KeyCharset == Info.iCharSet)
            return e.Font.get();
    return nullptr;
}

std::unique_ptr<ThtFont> ThtFontCache::GetFontLike(ThtFontInfo& Font) {
    ThtFont* found = FindFont(Font);
    if (!found) {
        auto f = std::make_shared<ThtFont>();
        f->SetName(toUtf8(Font.iName));
        f->SetHeight(FontHeightOfSize(Font.iSize));
        f->SetStyle(Font.iStyle);
        const int requested = Font.iCharSet;
        // Measured under the default charset first: a symbol face answers
        // with its own charset whatever was asked.
        f->SetCharset(DEFAULT_CHARSET);
        std::unique_ptr<TDeviceContext> dc = GetScreenDC();
        TTextMetric tm;
        if (dc) {
            dc->SelectFont(LogFontOf(*f));
            tm = dc->GetTextMetrics();
        }
        f->SetCharset(tm.CharSet == SYMBOL_CHARSET ? SYMBOL_CHARSET : requested);
        if (dc && f->Charset() != DEFAULT_CHARSET) {
            dc->SelectFont(LogFontOf(*f));
            tm = dc->GetTextMetrics();
        }
        f->EmSize = tm.Height - tm.InternalLeading;
        f->ExSize = f->EmSize / 2;
        f->tmHeight = tm.Height;
        f->tmDescent = tm.Descent;
        f->tmExternalLeading = tm.ExternalLeading;
        f->tmMaxCharWidth = tm.MaxCharWidth;
        f->tmAveCharWidth = tm.AveCharWidth;
        f->tmCharset = tm.CharSet;
        found = f.get();
        // Cached under the requested charset, and under the delivered one when
        // a symbol face changed it, so repeated requests reuse this font.
        const int height = FontHeightOfSize(Font.iSize);
        AddEntry(f, height, requested);
        if (f->Charset() != requested) AddEntry(f, height, f->Charset());
    }
    auto r = std::make_unique<ThtFont>();
    r->Assign(found);
    r->bgColor = Font.ibgColor;
    r->SetColor(Font.iColor);
    if (VarIsOrdinal(Font.iCharExtra)) {
        r->CharExtra = int32_t(VarInt(Font.iCharExtra));
    } else if (VarIsStr(Font.iCharExtra) && VarStr(Font.iCharExtra) != u"normal") {
        r->CharExtra = clampToInt32(
            double(roundEven(LengthFromUnitTable(VarStr(Font.iCharExtra), false, 0, r->EmSize, r->EmSize))));
        Font.iCharExtra = int64_t(r->CharExtra);
    }
    return r;
}

ThtFontCache& GlobalFontCache() {
    static ThtFontCache cache;
    return cache;
}

// ---- sizes ---------------------------------------------------------------

std::array<double, 8> FontSizeSteps{0, 8, 10, 12, 14, 18, 24, 36};
std::array<double, 8> PreFontSizeSteps{0, 7, 8, 10, 12, 15, 20, 30};

void SetGlobalFontSizes(double DefaultPointSize) {
    static const double Base[8] = {0, 8, 10, 12, 14, 18, 24, 36};
    static const double PreBase[8] = {0, 7, 8, 10, 12, 15, 20, 30};
    for (int k = 1; k <= 7; ++k) {
        FontSizeSteps[size_t(k)] = DefaultPointSize * Base[k] / 12;
        PreFontSizeSteps[size_t(k)] = DefaultPointSize * PreBase[k] / 12;
    }
}

double StepFontSize(int Step, double Size) {
    const auto& s = FontSizeSteps;
    int b = 4;
    double d = Size - s[4];
    while (d != 0 && b > 1 && b < 7) {
        if (d < 0) {
            --b;
            const double d2 = Size - s[size_t(b)];
            if (d2 >= 0) {
                if (std::fabs(d2) > std::fabs(d)) ++b;
                break;
            }
            d = d2;
        } else {
            ++b;
            const double d2 = Size - s[size_t(b)];
            if (d2 <= 0) {
                if (std::fabs(d2) > std::fabs(d)) --b;
                break;
            }
            d = d2;
        }
    }
    int a = b + Step;
    if (a < 1) {
        b += 1 - a;
        a = 1;
    }
    if (a > 7) {
        b -= a - 7;
        a = 7;
    }
    // Steps of a zero default size are all 0: the size stays as it is.
    if (a == b || s[size_t(b)] == 0) return Size;
    return Size * s[size_t(a)] / s[size_t(b)];
}

double FontSizeToPoints(std::u16string_view Str, bool QuirksMode, double ParentSize, double Default) {
    double n;
    std::u16string unit;
    const double ppi = ScreenPixelsPerInch();
    if (SplitNumberAndUnit(Str, n, unit)) {
        if (unit.empty() || unit == u"px") return n * 72 / ppi;
        if (unit == u"in") return n * 72;
        if (unit == u"cm") return n * 72 * 0.3937007874015748;
        if (unit == u"mm") return n * 72 * 0.03937007874015748;
        if (unit == u"pt") return n;
        if (unit == u"pc") return n * 12;
        if (unit == u"em") return n * ParentSize;
        if (unit == u"ex") return n * ParentSize * 0.5;
        if (unit == u"%") return n * ParentSize * 0.01;
        return Default;
    }
    const size_t q = QuirksMode ? 1 : 0;
    if (Str == u"smaller") return StepFontSize(-1, ParentSize);
    if (Str == u"larger") return StepFontSize(+1, ParentSize);
    if (Str == u"xx-small" || Str == u"x-small") return FontSizeSteps[1 + q];
    if (Str == u"small") return FontSizeSteps[2 + q];
    if (Str == u"medium") return FontSizeSteps[3 + q];
    if (Str == u"large") return FontSizeSteps[4 + q];
    if (Str == u"x-large") return FontSizeSteps[5 + q];
    if (Str == u"xx-large") return FontSizeSteps[6];
    return Default;
}

double LengthFromUnitTable(std::u16string_view Str, bool Relative, double Default, double EmSize, double Base) {
    struct UnitInfo {
        const char16_t* Name;
        double Factor;
        bool IsAbsolute;
    };
    static const UnitInfo LengthUnitTable[] = {
        {u"", 1, true},   {u"em", 1, false}, {u"ex", 0.5, false}, {u"%", 0.01, false},      {u"pt", 96.0 / 72, true},
        {u"px", 1, true}, {u"pc", 16, true}, {u"in", 96, true},   {u"cm", 96 / 2.54, true}, {u"mm", 9.6 / 2.54, true},
    };
    double n;
    std::u16string unit;
    if (!SplitNumberAndUnit(Str, n, unit)) return Default;
    if (unit.empty()) return Relative ? n * Base : Default;
    unit = lower(unit);
    for (size_t i = 1; i < sizeof LengthUnitTable / sizeof LengthUnitTable[0]; ++i) {
        const UnitInfo& u = LengthUnitTable[i];
        if (unit != u.Name) continue;
        if (u.IsAbsolute) return n * u.Factor;
        if (unit == u"%") return n * 0.01 * Base;
        return n * u.Factor * EmSize;
    }
    return Default;
}

// ---- faces ---------------------------------------------------------------

namespace {

struct FaceMap {
    const char16_t* From;
    const char16_t* To;
};

// CSS generic families to the faces documents expect.
const FaceMap GenericFamilies[] = {
    {u"serif", u"Times New Roman"},      {u"monospace", u"Courier New"}, {u"sans-serif", u"Arial"},
    {u"cursive", u"Lucida Handwriting"}, {u"Helvetica", u"Arial"},
};

// Faces documents name that this platform does not ship, and the installed
// faces that stand for them (metric-compatible first).
const FaceMap StandInFaces[] = {
    {u"Times New Roman", u"Liberation Serif"},
    {u"Times New Roman", u"DejaVu Serif"},
    {u"Arial", u"Liberation Sans"},
    {u"Arial", u"DejaVu Sans"},
    {u"Courier New", u"Liberation Mono"},
    {u"Courier New", u"DejaVu Sans Mono"},
    {u"Tahoma", u"DejaVu Sans"},
    {u"Verdana", u"DejaVu Sans"},
    {u"Segoe UI", u"DejaVu Sans"},
};

// The installed family of that name as the system spells it, or empty.
std::u16string installedFace(const std::u16string& name) {
    static const std::vector<String> families = InstalledFontFamilies();
    const std::string n = toUtf8(name);
    auto it = std::lower_bound(families.begin(), families.end(), n, [](const String& a, const std::string& b) {
        return compareNoCase(fromUtf8(a), fromUtf8(b)) < 0;
    });
    if (it != families.end() && equalsNoCase(fromUtf8(*it), name)) return fromUtf8(*it);
    return {};
}

}  // namespace

std::u16string FindInstalledFont(std::u16string_view FamilyList) {
    std::u16string rest(FamilyList);
    while (!rest.empty()) {
        const size_t comma = rest.find(u',');
        std::u16string name = trim(rest.substr(0, comma));
        rest = comma == std::u16string::npos ? std::u16string() : rest.substr(comma + 1);
        for (const auto& g : GenericFamilies)
            if (equalsNoCase(name, g.From)) {
                name = g.To;
                break;
            }
        if (name.size() >= 2 && (name[0] == u'\'' || name[0] == u'"') && name.back() == name[0])
            name = name.substr(1, name.size() - 2);
        if (name.empty()) continue;
        std::u16string face = installedFace(name);
        for (const auto& s : StandInFaces)
            if (face.empty() && equalsNoCase(name, s.From)) face = installedFace(s.To);
        if (!face.empty()) return face;
    }
    return {};
}

// ---- the fonts of a property set -----------------------------------------

void TProperties::FillFontInfo(ThtFontInfo& Info) const {
    Info.ibgColor = FontBG;
    Info.iColor = TColor(VarToInt(Props[Color], 0));
    TFontStyles style = 0;
    const ThtVariant& weight = Props[FontWeight];
    if ((VarIsStr(weight) && VarStr(weight).find(u"bold") != std::u16string::npos) || VarToInt(weight, 0) >= 600)
        style |= fsSet(fsBold);
    if (VarIsText(Props[FontStyle], u"italic") || VarIsText(Props[FontStyle], u"oblique")) style |= fsSet(fsItalic);
    if (VarIsText(Props[TextDecoration], u"underline")) style |= fsSet(fsUnderline);
    else if (VarIsText(Props[TextDecoration], u"line-through")) style |= fsSet(fsStrikeOut);
    Info.iStyle = style;
    Info.iSize = VarToDouble(Props[FontSize], 0);
    Info.iCharSet = CharSet();
    Info.iCharExtra = Props[LetterSpacing];
    Info.iName = FindInstalledFont(VarToText(Props[FontFamily]));
    if (Info.iName.empty()) Info.iName = DefFontname;
}

std::unique_ptr<ThtFont> TProperties::GetFont() {
    if (!TheFont) {
        ThtFontInfo info;
        FillFontInfo(info);
        TheFont = GlobalFontCache().GetFontLike(info);
        FEmSize = TheFont->EmSize;
        FExSize = TheFont->ExSize;
    }
    auto copy = std::make_unique<ThtFont>();
    copy->Assign(TheFont.get());
    return copy;
}

void TProperties::GetFontInfo(TFontInfoArray& AFI) const {
    if (FIArray) AFI.Assign(*FIArray);
}

void TProperties::DropFont() { TheFont.reset(); }
