#include "html/text/HtmlColors.h"

#include <algorithm>
#include <string>
#include <vector>

#include "html/text/ScreenColors.h"
#include "html/text/HtmlText.h"

using namespace htmltext;

namespace {

struct ColorName {
    const char16_t* Name;
    uint32_t Value;  // 0xRRGGBB, or a TColor for the special rows
    bool Rgb;
};

// The CSS colour keywords, then the special and system names.
// clang-format off
const ColorName ColorNames[] = {
    {u"aliceblue", 0xF0F8FF, true}, {u"antiquewhite", 0xFAEBD7, true}, {u"aqua", 0x00FFFF, true},
    {u"aquamarine", 0x7FFFD4, true}, {u"azure", 0xF0FFFF, true}, {u"beige", 0xF5F5DC, true},
    {u"bisque", 0xFFE4C4, true}, {u"black", 0x000000, true}, {u"blanchedalmond", 0xFFEBCD, true},
    {u"blue", 0x0000FF, true}, {u"blueviolet", 0x8A2BE2, true}, {u"brown", 0xA52A2A, true},
    {u"burlywood", 0xDEB887, true}, {u"cadetblue", 0x5F9EA0, true}, {u"chartreuse", 0x7FFF00, true},
    {u"chocolate", 0xD2691E, true}, {u"coral", 0xFF7F50, true}, {u"cornflowerblue", 0x6495ED, true},
    {u"cornsilk", 0xFFF8DC, true}, {u"crimson", 0xDC143C, true}, {u"cyan", 0x00FFFF, true},
    {u"darkblue", 0x00008B, true}, {u"darkcyan", 0x008B8B, true}, {u"darkgoldenrod", 0xB8860B, true},
    {u"darkgray", 0xA9A9A9, true}, {u"darkgreen", 0x006400, true}, {u"darkgrey", 0xA9A9A9, true},
    {u"darkkhaki", 0xBDB76B, true}, {u"darkmagenta", 0x8B008B, true}, {u"darkolivegreen", 0x556B2F, true},
    {u"darkorange", 0xFF8C00, true}, {u"darkorchid", 0x9932CC, true}, {u"darkred", 0x8B0000, true},
    {u"darksalmon", 0xE9967A, true}, {u"darkseagreen", 0x8FBC8F, true}, {u"darkslateblue", 0x483D8B, true},
    {u"darkslategray", 0x2F4F4F, true}, {u"darkslategrey", 0x2F4F4F, true}, {u"darkturquoise", 0x00CED1, true},
    {u"darkviolet", 0x9400D3, true}, {u"deeppink", 0xFF1493, true}, {u"deepskyblue", 0x00BFFF, true},
    {u"dimgray", 0x696969, true}, {u"dimgrey", 0x696969, true}, {u"dodgerblue", 0x1E90FF, true},
    {u"firebrick", 0xB22222, true}, {u"floralwhite", 0xFFFAF0, true}, {u"forestgreen", 0x228B22, true},
    {u"fuchsia", 0xFF00FF, true}, {u"gainsboro", 0xDCDCDC, true}, {u"ghostwhite", 0xF8F8FF, true},
    {u"gold", 0xFFD700, true}, {u"goldenrod", 0xDAA520, true}, {u"gray", 0x808080, true},
    {u"green", 0x008000, true}, {u"greenyellow", 0xADFF2F, true}, {u"grey", 0x808080, true},
    {u"honeydew", 0xF0FFF0, true}, {u"hotpink", 0xFF69B4, true}, {u"indianred", 0xCD5C5C, true},
    {u"indigo", 0x4B0082, true}, {u"ivory", 0xFFFFF0, true}, {u"khaki", 0xF0E68C, true},
    {u"lavender", 0xE6E6FA, true}, {u"lavenderblush", 0xFFF0F5, true}, {u"lawngreen", 0x7CFC00, true},
    {u"lemonchiffon", 0xFFFACD, true}, {u"lightblue", 0xADD8E6, true}, {u"lightcoral", 0xF08080, true},
    {u"lightcyan", 0xE0FFFF, true}, {u"lightgoldenrodyellow", 0xFAFAD2, true}, {u"lightgray", 0xD3D3D3, true},
    {u"lightgreen", 0x90EE90, true}, {u"lightgrey", 0xD3D3D3, true}, {u"lightpink", 0xFFB6C1, true},
    {u"lightsalmon", 0xFFA07A, true}, {u"lightseagreen", 0x20B2AA, true}, {u"lightskyblue", 0x87CEFA, true},
    {u"lightslategray", 0x778899, true}, {u"lightslategrey", 0x778899, true}, {u"lightsteelblue", 0xB0C4DE, true},
    {u"lightyellow", 0xFFFFE0, true}, {u"lime", 0x00FF00, true}, {u"limegreen", 0x32CD32, true},
    {u"linen", 0xFAF0E6, true}, {u"magenta", 0xFF00FF, true}, {u"maroon", 0x800000, true},
    {u"mediumaquamarine", 0x66CDAA, true}, {u"mediumblue", 0x0000CD, true}, {u"mediumorchid", 0xBA55D3, true},
    {u"mediumpurple", 0x9370DB, true}, {u"mediumseagreen", 0x3CB371, true}, {u"mediumslateblue", 0x7B68EE, true},
    {u"mediumspringgreen", 0x00FA9A, true}, {u"mediumturquoise", 0x48D1CC, true},
    {u"mediumvioletred", 0xC71585, true}, {u"midnightblue", 0x191970, true}, {u"mintcream", 0xF5FFFA, true},
    {u"mistyrose", 0xFFE4E1, true}, {u"moccasin", 0xFFE4B5, true}, {u"navajowhite", 0xFFDEAD, true},
    {u"navy", 0x000080, true}, {u"oldlace", 0xFDF5E6, true}, {u"olive", 0x808000, true},
    {u"olivedrab", 0x6B8E23, true}, {u"orange", 0xFFA500, true}, {u"orangered", 0xFF4500, true},
    {u"orchid", 0xDA70D6, true}, {u"palegoldenrod", 0xEEE8AA, true}, {u"palegreen", 0x98FB98, true},
    {u"paleturquoise", 0xAFEEEE, true}, {u"palevioletred", 0xDB7093, true}, {u"papayawhip", 0xFFEFD5, true},
    {u"peachpuff", 0xFFDAB9, true}, {u"peru", 0xCD853F, true}, {u"pink", 0xFFC0CB, true},
    {u"plum", 0xDDA0DD, true}, {u"powderblue", 0xB0E0E6, true}, {u"purple", 0x800080, true},
    {u"rebeccapurple", 0x663399, true}, {u"red", 0xFF0000, true}, {u"rosybrown", 0xBC8F8F, true},
    {u"royalblue", 0x4169E1, true}, {u"saddlebrown", 0x8B4513, true}, {u"salmon", 0xFA8072, true},
    {u"sandybrown", 0xF4A460, true}, {u"seagreen", 0x2E8B57, true}, {u"seashell", 0xFFF5EE, true},
    {u"sienna", 0xA0522D, true}, {u"silver", 0xC0C0C0, true}, {u"skyblue", 0x87CEEB, true},
    {u"slateblue", 0x6A5ACD, true}, {u"slategray", 0x708090, true}, {u"slategrey", 0x708090, true},
    {u"snow", 0xFFFAFA, true}, {u"springgreen", 0x00FF7F, true}, {u"steelblue", 0x4682B4, true},
    {u"tan", 0xD2B48C, true}, {u"teal", 0x008080, true}, {u"thistle", 0xD8BFD8, true},
    {u"tomato", 0xFF6347, true}, {u"turquoise", 0x40E0D0, true}, {u"violet", 0xEE82EE, true},
    {u"wheat", 0xF5DEB3, true}, {u"white", 0xFFFFFF, true}, {u"whitesmoke", 0xF5F5F5, true},
    {u"yellow", 0xFFFF00, true}, {u"yellowgreen", 0x9ACD32, true},
    {u"none", uint32_t(clNone), false}, {u"transparent", uint32_t(clNone), false},
    {u"scrollbar", 0xFF000000, false}, {u"background", 0xFF000001, false}, {u"activecaption", 0xFF000002, false},
    {u"inactivecaption", 0xFF000003, false}, {u"menu", 0xFF000004, false}, {u"window", 0xFF000005, false},
    {u"windowframe", 0xFF000006, false}, {u"menutext", 0xFF000007, false}, {u"windowtext", 0xFF000008, false},
    {u"captiontext", 0xFF000009, false}, {u"activeborder", 0xFF00000A, false},
    {u"inactiveborder", 0xFF00000B, false}, {u"appworkSpace", 0xFF00000C, false},
    {u"highlight", 0xFF00000D, false}, {u"highlighttext", 0xFF00000E, false}, {u"buttonface", 0xFF00000F, false},
    {u"threedface", 0xFF00000F, false}, {u"buttonshadow", 0xFF000010, false}, {u"threedshadow", 0xFF000010, false},
    {u"graytext", 0xFF000011, false}, {u"buttontext", 0xFF000012, false},
    {u"inactivecaptiontext", 0xFF000013, false}, {u"buttonhighlight", 0xFF000014, false},
    {u"threedlightshadow", 0xFF000014, false}, {u"threeddarkshadow", 0xFF000015, false},
    {u"threedhighlight", 0xFF000016, false}, {u"infotext", 0xFF000017, false},
    {u"infobackground", 0xFF000018, false},
};
// clang-format on
static_assert(sizeof ColorNames / sizeof ColorNames[0] == 178);

TColor swapRedBlue(uint32_t rgb) { return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF)); }

struct NamedColor {
    std::u16string Name;  // lower case
    TColor Color;
};

const std::vector<NamedColor>& colorList() {
    static const std::vector<NamedColor> list = [] {
        std::vector<NamedColor> l;
        for (const auto& c : ColorNames) l.push_back({lower(c.Name), c.Rgb ? swapRedBlue(c.Value) : TColor(c.Value)});
        std::sort(l.begin(), l.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
        return l;
    }();
    return list;
}

bool findColorName(const std::u16string& lowered, TColor& Color) {
    const auto& l = colorList();
    auto it = std::lower_bound(l.begin(), l.end(), lowered, [](const auto& e, const auto& n) { return e.Name < n; });
    if (it == l.end() || it->Name != lowered) return false;
    Color = it->Color;
    return true;
}

// The last colour parsed, keyed on its text and the NeedSharp it was parsed with.
struct LastColor {
    std::u16string Text = u"?&%@";
    bool NeedSharp = false;
    TColor Color = 0;
} gLast;

// "(a, b, c[, alpha])": the three components and the alpha.
bool splitArguments(std::u16string_view Text, std::u16string (&parts)[3], int& Alpha) {
    const size_t open = Text.find(u'(');
    if (open == std::u16string_view::npos) return false;
    const size_t close = Text.find(u')', open + 1);
    if (close == std::u16string_view::npos) return false;
    std::u16string rest = trim(Text.substr(open + 1, close - open - 1));
    for (int i = 0; i < 2; ++i) {
        const size_t comma = rest.find(u',');
        parts[i] = trim(rest.substr(0, comma));
        rest = comma == std::u16string::npos ? std::u16string() : trim(rest.substr(comma + 1));
    }
    const size_t comma = rest.find(u',');
    parts[2] = trim(rest.substr(0, comma));
    Alpha = 255;
    if (comma != std::u16string::npos) {
        if (const auto a = toFloat(trim(rest.substr(comma + 1)))) Alpha = int(std::clamp(*a, 0.0, 1.0) * 255);
    }
    return true;
}

std::u16string withoutFirstPercent(const std::u16string& s) {
    std::u16string t = s;
    const size_t p = t.find(u'%');
    if (p != std::u16string::npos) t.erase(p, 1);
    return t;
}

}  // namespace

int32_t ColorPaletteFlag() { return int32_t(PalRelative); }

TColor HslToRgb(double H, double S, double L) {
    const double h = H / 360, s = S / 100, l = L / 100;
    auto byte = [](double v) { return int(std::clamp<int64_t>(roundEven(v * 255), 0, 255)); };
    if (s == 0) {
        const int c = byte(l);
        return RGB(c, c, c);
    }
    const double t2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    const double t1 = 2 * l - t2;
    auto channel = [&](double x) {
        if (x < 0) x += 1;
        if (x > 1) x -= 1;
        double r;
        if (6 * x < 1) r = t1 + (t2 - t1) * 6 * x;
        else if (2 * x < 1) r = t2;
        else if (3 * x < 2) r = t1 + (t2 - t1) * (2.0 / 3 - x) * 6;
        else r = t1;
        return byte(r);
    };
    return RGB(channel(h + 1.0 / 3), channel(h), channel(h - 1.0 / 3));
}

bool ParseRgbColor(std::u16string_view Text, TColor& Color, int& Alpha) {
    std::u16string parts[3];
    if (!splitArguments(Text, parts, Alpha)) return false;
    int c[3];
    for (int i = 0; i < 3; ++i) {
        int64_t v;
        if (parts[i].find(u'%') != std::u16string::npos)
            v = roundEven(toFloat(withoutFirstPercent(parts[i])).value_or(0) * 2.55);
        else v = toIntDef(parts[i], 0);
        c[i] = int(std::clamp<int64_t>(v, 0, 255));
    }
    Color = RGB(c[0], c[1], c[2]);
    return true;
}

bool ParseHslColor(std::u16string_view Text, TColor& Color, int& Alpha) {
    std::u16string parts[3];
    if (!splitArguments(Text, parts, Alpha)) return false;
    int64_t hue = toIntDef(parts[0], 0) % 360;
    if (hue < 0) hue += 360;
    const int64_t sat = std::clamp<int64_t>(toIntDef(withoutFirstPercent(parts[1]), 0), 0, 100);
    const int64_t light = std::clamp<int64_t>(toIntDef(withoutFirstPercent(parts[2]), 0), 0, 100);
    Color = HslToRgb(double(hue), double(sat), double(light));
    return true;
}

bool ParseColorText(std::u16string_view Text, bool NeedSharp, TColor& Color, int& Alpha) {
    Alpha = 255;
    if (Text.empty()) return false;
    std::u16string S = trim(lower(Text));
    if (S == gLast.Text && NeedSharp == gLast.NeedSharp) {
        Color = gLast.Color;
        return true;
    }
    bool ok = false;
    bool fromHsl = false;
    const size_t hsl = S.find(u"hsl");
    const size_t rgb = S.find(u"rgb");
    if (hsl != std::u16string::npos) {
        ok = ParseHslColor(std::u16string_view(S).substr(hsl + 3, 255), Color, Alpha);
        fromHsl = true;
    } else if (rgb == std::u16string::npos && (S.empty() || S[0] != u'#') && findColorName(S, Color)) {
        ok = true;
    } else if (rgb == std::u16string::npos) {
        std::u16string hex = S;
        const size_t sharp = hex.rfind(u'#');
        if (sharp != std::u16string::npos) hex.erase(0, sharp + 1);
        else if (NeedSharp) return false;
        hex = trim(hex);
        if (hex.size() <= 3) {
            std::u16string doubled;
            for (char16_t c : hex) doubled += std::u16string(2, c);
            hex = doubled;
        }
        // More than six digits would reach the top byte, where drawing reads
        // a system colour index: such a text is no colour.
        if (hex.empty() || hex.size() > 6) return false;
        uint32_t v = 0;
        for (char16_t c : hex) {
            int d;
            if (c >= u'0' && c <= u'9') d = c - u'0';
            else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
            else return false;
            v = v * 16 + uint32_t(d);
        }
        Color = swapRedBlue(v) | ColorPaletteFlag();
        ok = true;
    } else {
        ok = ParseRgbColor(std::u16string_view(S).substr(rgb + 3, 255), Color, Alpha);
    }
    if (ok) {
        gLast.Text = fromHsl ? std::u16string() : S;
        gLast.NeedSharp = NeedSharp;
        gLast.Color = Color;
    }
    return ok;
}

bool TryTextToColor(std::u16string_view Text, bool NeedSharp, TColor& Color) {
    int alpha;
    TColor c;
    if (!ParseColorText(Text, NeedSharp, c, alpha)) return false;
    Color = c;
    return true;
}
