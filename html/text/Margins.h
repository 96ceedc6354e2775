#pragma once
// The box properties of an element carried to layout: the value array
// (indices BackgroundColor..BorderSpacingVert) and its conversions to pixels
// for blocks, table cells and replaced objects.
#include <array>
#include <cstdint>

#include "html/text/HtmlVariant.h"
#include "html/text/PropertyIndex.h"

// An array over the margin indices, addressed by property index.
template <class T> struct ThtMarginArrayOf {
    std::array<T, HighMarginIndex - LowMarginIndex + 1> a{};
    T& operator[](int i) { return a.at(size_t(i - LowMarginIndex)); }
    const T& operator[](int i) const { return a.at(size_t(i - LowMarginIndex)); }
};
using ThtVMarginArray = ThtMarginArrayOf<ThtVariant>;
using ThtMarginArray = ThtMarginArrayOf<int32_t>;

struct LengthConversionRec {
    int32_t BaseWidth = 0, BaseHeight = 0, EmSize = 0, ExSize = 0;
    int32_t BorderWidth = 0;              // default width of a visible border
    int32_t AutoCount = 0;                // auto widths and side margins met
    ThtPropIndexSet DefaultSpaceIndexes;  // vertical margins from DefaultParagraphSpace
};

void InitLengthConversion(int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExSize, int32_t BorderWidth,
                          LengthConversionRec& Rec);
// The percentage base of an index: the base height for vertical sizes, else the width.
int32_t PercentBase(ThtPropertyIndex Index, const LengthConversionRec& Rec);
void ConvertMarginProperty(ThtPropertyIndex Index, const ThtVMarginArray& VM, LengthConversionRec& Rec,
                           ThtMarginArray& M);
// Every index but the top and bottom margins, in ascending order; answers AutoCount.
int32_t ConvertMargins(const ThtVMarginArray& VM, int32_t BaseWidth, int32_t BaseHeight, int32_t EmSize, int32_t ExSize,
                       int32_t BorderWidth, ThtMarginArray& M);
// The top and bottom margins, then min-height again (now less the converted
// paddings and borders).
void ConvertVerticalMargins(const ThtVMarginArray& VM, LengthConversionRec& Rec, ThtMarginArray& M);
// A cell's paddings: a percentage p comes out as -p, an unset padding as -1.
void ConvertCellPaddings(const ThtVMarginArray& VM, int32_t EmSize, int32_t ExSize, ThtMarginArray& M);
// Sizes, margins and border widths of an image or form control; "auto"
// stays AutoSentinel for the object's own code.
void ConvertObjectMargins(const ThtVMarginArray& VM, int32_t Base, int32_t EmSize, int32_t ExSize, ThtMarginArray& M);
void SubtractPaddingAndBorder(ThtMarginArray& M);
void ApplyMinMaxAndBoxSizing(ThtMarginArray& M, bool AlwaysSubtract);
void ClampWidthToMinMax(ThtMarginArray& M, int32_t& MinWidth, int32_t& MaxWidth, bool Skip);
