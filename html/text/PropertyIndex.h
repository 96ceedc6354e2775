#pragma once
// The style properties by index, their CSS names, and the sentinel values
// that stand for "auto" and "no value" in property sets and pixel arrays.
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string_view>

// clang-format off
enum ThtPropertyIndex {
    FontFamily, FontSize, FontStyle, FontWeight, TextAlign, TextDecoration, LetterSpacing, Color,
    BackgroundColor, BackgroundImage, BackgroundPosition, BackgroundRepeat, BackgroundAttachment,
    piMinHeight, piMinWidth, piMaxHeight, piMaxWidth, BoxSizing,
    MarginTop, MarginRight, MarginBottom, MarginLeft,
    PaddingTop, PaddingRight, PaddingBottom, PaddingLeft,
    BorderTopWidth, BorderRightWidth, BorderBottomWidth, BorderLeftWidth,
    BorderTopColor, BorderRightColor, BorderBottomColor, BorderLeftColor,
    BorderTopStyle, BorderRightStyle, BorderBottomStyle, BorderLeftStyle,
    piWidth, piHeight, piTop, piRight, piBottom, piLeft,
    BorderSpacingHorz, BorderSpacingVert, Visibility, LineHeight, VerticalAlign, Position, ZIndex,
    ListStyleType, ListStyleImage, Float, Clear, TextIndent, PageBreakBefore, PageBreakAfter, PageBreakInside,
    TextTransform, WordWrap, FontVariant, BorderCollapse, OverFlow, piDisplay, piEmptyCells, piWhiteSpace,
    // Shorthands: names only, the style-sheet parser expands them.
    MarginX, PaddingX, BorderWidthX, BorderX, BorderTX, BorderRX, BorderBX, BorderLX, FontX, BackgroundX,
    ListStyleX, BorderColorX, BorderStyleX, BorderSpacing
};
// clang-format on
constexpr int PropIndexCount = int(BorderSpacing) + 1;  // 81
constexpr int StoredPropCount = int(piWhiteSpace) + 1;  // 67: the stored values
constexpr ThtPropertyIndex LowMarginIndex = BackgroundColor;
constexpr ThtPropertyIndex HighMarginIndex = BorderSpacingVert;

// A set of property indices.
class ThtPropIndexSet {
public:
    ThtPropIndexSet() = default;
    ThtPropIndexSet(std::initializer_list<ThtPropertyIndex> l) {
        for (auto i : l) bits_.set(size_t(i));
    }
    static ThtPropIndexSet Range(ThtPropertyIndex from, ThtPropertyIndex to) {
        ThtPropIndexSet s;
        for (int i = from; i <= to; ++i) s.bits_.set(size_t(i));
        return s;
    }
    bool Contains(ThtPropertyIndex i) const { return bits_.test(size_t(i)); }
    void Include(ThtPropertyIndex i) { bits_.set(size_t(i)); }
    bool Empty() const { return bits_.none(); }
    bool operator==(const ThtPropIndexSet&) const = default;

private:
    std::bitset<PropIndexCount> bits_;
};

// The sentinels, stored as integers (negative as signed 32-bit values).
constexpr int32_t AutoSentinel = int32_t(0xFF439EB2u);
constexpr int32_t NoValueSentinel = int32_t(0xFF4392A3u);
constexpr int32_t DefaultParagraphSpace = int32_t(0xFF4392A2u);

// The CSS name of an index ("font-family" ... "border-spacing").
std::u16string_view PropWords(ThtPropertyIndex Index);
// The index of a CSS name (any letter case); false when unknown.
bool TryStrToPropIndex(std::u16string_view Name, ThtPropertyIndex& Index);
