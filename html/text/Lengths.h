#pragma once
// CSS lengths to whole pixels: the one conversion every length goes through.
#include <cstdint>
#include <string>
#include <string_view>

#include "html/text/HtmlVariant.h"

// Splits "12.5pt" into 12.5 and "pt"; an "e" always starts the unit, so "2em"
// is two em, never an exponent. False when the text does not start with a number.
bool SplitNumberAndUnit(std::u16string_view Str, double& Number, std::u16string& UnitText);
// Lengths are kept within this many pixels either way: layout adds several
// of them (a size less its paddings and borders) without overflow, and no
// length reads as one of the sentinels (around -12 345 678).
constexpr int32_t MaxLengthPixels = 10'000'000;
// An integer length within MaxLengthPixels; the sentinels pass unchanged.
int32_t ClampLength(int64_t Value);

// The length in pixels, truncated toward zero and kept within MaxLengthPixels;
// Default when the text is no length or its unit unknown.
int32_t LengthToPixels(std::u16string_view Str, bool Relative, int32_t Base, int32_t EmSize, int32_t ExSize,
                       int32_t Default);
// Text through LengthToPixels; an integer other than AutoSentinel through
// ClampLength; else Default.
int32_t LengthFromVariant(const ThtVariant& Value, bool Relative, int32_t Base, int32_t EmSize, int32_t ExSize,
                          int32_t Default);
bool VarIsAuto(const ThtVariant& Value);
bool VarIsIntNull(const ThtVariant& Value);

// Logical pixels per inch of the screen. Set a value (tests use 96) to fix
// it; 0 reads the screen again. Answers the previous setting.
int ScreenPixelsPerInch();
int SetScreenPixelsPerInch(int Value);
