#include "html/text/Margins.h"

#include <algorithm>

#include "html/text/HtmlColors.h"
#include "html/text/Lengths.h"
#include "html/text/Properties.h"
#include "html/text/StyleTypes.h"

namespace {

// An integer value of a length index, within the length range.
int32_t asLength(const ThtVariant& v) { return ClampLength(VarInt(v)); }

// A size less its paddings and borders, summed wide and kept within the
// length range whatever the array held.
int32_t sizeLess(int32_t size, int32_t a, int32_t b, int32_t c, int32_t d) {
    const int64_t v = int64_t(size) - a - b - c - d;
    return int32_t(std::clamp<int64_t>(v, -MaxLengthPixels, MaxLengthPixels));
}

// "thin", "medium", "thick"; 0 for other words.
int32_t borderKeywordWidth(const std::u16string& s) {
    if (s == u"thin") return 2;
    if (s == u"medium") return 4;
    if (s == u"thick") return 6;
    return 0;
}

// An integer that holds a colour (not a sentinel): RGB, clNone or a system colour.
bool isColorValue(const ThtVariant& v) {
    if (!VarIsOrdinal(v)) return false;
    const uint32_t c = uint32_t(VarInt(v));
    return VarInt(v) >= 0 || (c & 0xFFFFFF00u) == 0xFF000000u;
}

bool styleIsNone(const ThtVMarginArray& VM, int widthIndex) {
    const ThtVariant& s = VM[widthIndex + 8];
    return VarIsOrdinal(s) && VarInt(s) == bssNone;
}

}  // namespace

void TProperties::GetVMarginArrayDefBorder(ThtVMarginArray& MArray, const ThtVariant& ADefColor) const {
    for (int i = LowMarginIndex; i <= HighMarginIndex; ++i) {
        const ThtVariant& v = Props[size_t(i)];
        if (i >= BorderTopColor && i <= BorderLeftColor) {
            TColor c;
            if (isColorValue(v)) MArray[i] = v;
            else if (VarIsStr(v) && TryTextToColor(VarStr(v), false, c)) MArray[i] = int64_t(c);
            else if (VarIsText(v, u"currentColor")) MArray[i] = Props[Color];
            else MArray[i] = ADefColor;
        } else if (i >= BorderTopStyle && i <= BorderLeftStyle) {
            ThtBorderStyle s = ThtBorderStyle(VarInt(MArray[i], bssNone));
            ThtBorderStyle named;
            if (GetBorderStyle(ThtPropertyIndex(i), named)) s = named;
            MArray[i] = int64_t(s);
        } else {
            MArray[i] = v;
        }
    }
}

void TProperties::GetVMarginArray(ThtVMarginArray& MArray) const { GetVMarginArrayDefBorder(MArray, Props[Color]); }

void InitLengthConversion(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExSize, int32_t BorderWidth,
                          LengthConversionRec& Rec) {
    Rec = LengthConversionRec{};
    Rec.BaseWidth = BaseWidth;
    Rec.BaseHeight = BaseHeight;
    Rec.EmSize = EmSize;
    Rec.ExSize = ExSize;
    Rec.BorderWidth = BorderWidth;
}

int32_t PercentBase(ThtPropertyIndex Index, const LengthConversionRec& Rec) {
    switch (Index) {
    case piMinHeight:
    case piMaxHeight:
    case MarginTop:
    case MarginBottom:
    case PaddingTop:
    case PaddingBottom:
    case BorderTopWidth:
    case BorderBottomWidth:
    case piHeight:
    case piTop:
    case piBottom:
    case LineHeight: return Rec.BaseHeight;
    default: return Rec.BaseWidth;
    }
}

void ConvertMarginProperty(ThtPropertyIndex I, const ThtVMarginArray& VM, LengthConversionRec& Rec, ThtMarginArray& M) {
    const ThtVariant& V = VM[I];
    auto text = [&](int32_t base, int32_t def) {
        return LengthToPixels(VarStr(V), false, base, Rec.EmSize, Rec.ExSize, def);
    };
    // The integer rule shared by most indices: AutoSentinel gives autoValue.
    auto integer = [&](int32_t autoValue) { return VarIsAuto(V) ? autoValue : asLength(V); };
    switch (I) {
    case BackgroundColor:
    case BorderTopColor:
    case BorderRightColor:
    case BorderBottomColor:
    case BorderLeftColor: M[I] = (VarIsEmpty(V) || VarIsNull(V)) ? clNone : TColor(VarToInt(V, clNone)); break;
    case BorderTopWidth:
    case BorderRightWidth:
    case BorderBottomWidth:
    case BorderLeftWidth:
        if (styleIsNone(VM, I)) {
            M[I] = 0;
        } else if (VarIsStr(V)) {
            const int32_t k = borderKeywordWidth(VarStr(V));
            M[I] = k ? k : text(PercentBase(I, Rec), Rec.BorderWidth);
        } else if (VarIsOrdinal(V)) {
            M[I] = integer(Rec.BorderWidth);
        }
        break;
    case piMinHeight:
    case piMaxHeight:
    case piHeight:
        if (VarIsStr(V)) {
            M[I] = text(PercentBase(I, Rec), 0);
            if (VarStr(V).find(u'%') != std::u16string::npos)
                M[I] = sizeLess(M[I], M[PaddingTop], M[PaddingBottom], M[BorderTopWidth], M[BorderBottomWidth]);
        } else {
            M[I] = VarIsOrdinal(V) ? integer(0) : 0;
        }
        break;
    case piMinWidth:
    case piMaxWidth:
        M[I] = VarIsStr(V) ? text(Rec.BaseWidth, NoValueSentinel) : VarIsOrdinal(V) ? integer(0) : 0;
        break;
    case BoxSizing: {
        ThtBoxSizing b = ContentBox;
        M[I] = ParseBoxSizingKeyword(VarToText(V), b) ? b : 0;
        break;
    }
    case MarginTop:
    case MarginBottom:
        if (VarIsStr(V)) {
            M[I] = text(Rec.BaseHeight, 0);
        } else if (VarIsOrdinal(V)) {
            if (VarInt(V) == DefaultParagraphSpace) {
                M[I] = 14;
                Rec.DefaultSpaceIndexes.Include(I);
            } else {
                M[I] = integer(0);
            }
        } else {
            M[I] = 0;
        }
        break;
    case MarginRight:
    case MarginLeft:
        if (VarIsText(V, u"auto")) {
            M[I] = NoValueSentinel;
            ++Rec.AutoCount;
        } else {
            M[I] = VarIsStr(V) ? text(Rec.BaseWidth, 0) : VarIsOrdinal(V) ? integer(0) : 0;
        }
        break;
    case PaddingTop:
    case PaddingRight:
    case PaddingBottom:
    case PaddingLeft:
    case BorderSpacingHorz:
    case BorderSpacingVert: M[I] = VarIsStr(V) ? text(PercentBase(I, Rec), 0) : VarIsOrdinal(V) ? integer(0) : 0; break;
    case piWidth:
        M[I] = VarIsStr(V)       ? text(Rec.BaseWidth, NoValueSentinel)
               : VarIsOrdinal(V) ? integer(NoValueSentinel)
                                 : NoValueSentinel;
        if (M[I] == NoValueSentinel) ++Rec.AutoCount;
        break;
    case piTop:
    case piRight:
    case piBottom:
    case piLeft:
        M[I] = VarIsStr(V)       ? text(PercentBase(I, Rec), NoValueSentinel)
               : VarIsOrdinal(V) ? integer(NoValueSentinel)
                                 : NoValueSentinel;
        break;
    default:  // background words and border styles
        M[I] = VarIsStr(V) ? text(PercentBase(I, Rec), 0) : VarIsOrdinal(V) ? integer(0) : 0;
        break;
    }
}

int32_t ConvertMargins(const ThtVMarginArray& VM, int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExSize,
                       int32_t BorderWidth, ThtMarginArray& M) {
    LengthConversionRec rec;
    InitLengthConversion(BaseWidth, BaseHeight, EmSize, ExSize, BorderWidth, rec);
    for (int i = LowMarginIndex; i <= HighMarginIndex; ++i)
        if (i != MarginTop && i != MarginBottom) ConvertMarginProperty(ThtPropertyIndex(i), VM, rec, M);
    return rec.AutoCount;
}

void ConvertVerticalMargins(const ThtVMarginArray& VM, LengthConversionRec& Rec, ThtMarginArray& M) {
    ConvertMarginProperty(MarginTop, VM, Rec, M);
    ConvertMarginProperty(MarginBottom, VM, Rec, M);
    ConvertMarginProperty(piMinHeight, VM, Rec, M);
}

void ConvertCellPaddings(const ThtVMarginArray& VM, int32_t EmSize, int32_t ExSize, ThtMarginArray& M) {
    for (int i = PaddingTop; i <= PaddingLeft; ++i) {
        const ThtVariant& V = VM[i];
        if (VarIsStr(V)) M[i] = LengthToPixels(VarStr(V), false, -100, EmSize, ExSize, 0);
        else if (VarIsOrdinal(V) && !VarIsAuto(V)) M[i] = asLength(V);
        else M[i] = -1;
    }
}

void ConvertObjectMargins(const ThtVMarginArray& VM, int32_t Base, int32_t EmSize, int32_t ExSize, ThtMarginArray& M) {
    auto length = [&](const ThtVariant& V, int32_t def) {
        return LengthToPixels(VarStr(V), false, Base, EmSize, ExSize, def);
    };
    for (int i = LowMarginIndex; i <= HighMarginIndex; ++i) {
        const ThtVariant& V = VM[i];
        if ((i >= piMinHeight && i <= piMaxWidth) || (i >= MarginTop && i <= MarginLeft)) {
            M[i] = VarIsStr(V) ? length(V, 0) : (VarIsOrdinal(V) && !VarIsAuto(V)) ? asLength(V) : AutoSentinel;
        } else if (i >= BorderTopWidth && i <= BorderLeftWidth) {
            if (styleIsNone(VM, i)) {
                M[i] = 0;
            } else if (VarIsStr(V)) {
                const int32_t k = borderKeywordWidth(VarStr(V));
                M[i] = k ? k : length(V, 4);
            } else if (VarIsOrdinal(V)) {
                M[i] = VarIsAuto(V) ? 4 : asLength(V);
            }
        } else if (i == piWidth || i == piHeight) {
            M[i] = VarIsStr(V)                          ? length(V, NoValueSentinel)
                   : (VarIsOrdinal(V) && !VarIsAuto(V)) ? asLength(V)
                                                        : AutoSentinel;
        }
    }
}

void SubtractPaddingAndBorder(ThtMarginArray& M) {
    if (M[piWidth] >= 0)
        M[piWidth] = sizeLess(M[piWidth], M[BorderLeftWidth], M[PaddingLeft], M[PaddingRight], M[BorderRightWidth]);
    if (M[piHeight] >= 0)
        M[piHeight] = sizeLess(M[piHeight], M[BorderTopWidth], M[PaddingTop], M[PaddingBottom], M[BorderBottomWidth]);
}

void ApplyMinMaxAndBoxSizing(ThtMarginArray& M, bool AlwaysSubtract) {
    if (AlwaysSubtract) {
        SubtractPaddingAndBorder(M);
        return;
    }
    if (M[piWidth] >= 0) {
        if (M[piMaxWidth] > 0 && M[piWidth] > M[piMaxWidth]) M[piWidth] = M[piMaxWidth];
        if (M[piMinWidth] > 0 && M[piWidth] < M[piMinWidth]) M[piWidth] = M[piMinWidth];
    }
    if (M[piHeight] >= 0) {
        if (M[piMaxHeight] > 0 && M[piHeight] > M[piMaxHeight]) M[piHeight] = M[piMaxHeight];
        if (M[piMinHeight] > 0 && M[piHeight] < M[piMinHeight]) M[piHeight] = M[piMinHeight];
    }
    if (M[BoxSizing] == BorderBox) SubtractPaddingAndBorder(M);
}

void ClampWidthToMinMax(ThtMarginArray& M, int32_t& MinWidth, int32_t& MaxWidth, bool Skip) {
    if (Skip) return;
    if (M[piMaxWidth] > 0) {
        if (M[piWidth] > M[piMaxWidth]) M[piWidth] = M[piMaxWidth];
        if (MaxWidth > M[piMaxWidth]) MaxWidth = M[piMaxWidth];
    }
    if (M[piMinWidth] > 0) {
        if (M[piWidth] < M[piMinWidth]) M[piWidth] = M[piMinWidth];
        if (MinWidth < M[piMinWidth]) MinWidth = M[piMinWidth];
    }
}
