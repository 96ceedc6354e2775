#pragma once
// Column declarations of tables (COL and COLGROUP), the integer-array
// helpers of table layout, and a locale-aware text comparison.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "html/layout/FreeList.h"
#include "html/layout/ModelTypes.h"
#include "html/text/StyleTypes.h"

// One COL or COLGROUP column.
class TColSpec {
public:
    TColSpec(const TSpecWidth& Width, std::u16string_view Align, ThtAlignmentStyle VAlign);
    TColSpec(const TColSpec& ColSpec) = default;
    const TSpecWidth& ColWidth() const { return FWidth; }
    const std::u16string& ColAlign() const { return FAlign; }
    ThtAlignmentStyle ColVAlign() const { return FVAlign; }

    TSpecWidth FWidth;
    std::u16string FAlign;
    ThtAlignmentStyle FVAlign = aNone;
};

class TColSpecList : public TFreeList<TColSpec> {
public:
    TColSpecList() : TFreeList<TColSpec>(true) {}
    TColSpec* GetItem(int Index) const { return Items(Index); }
};

using TIntArray = std::vector<int32_t>;
using TWidthTypeArray = std::vector<TWidthType>;
using TIntegerPerWidthType = std::array<int32_t, 4>;  // indexed by TWidthType

// Sum of A[From..To], 0 when To < From; indices outside A count for nothing.
int32_t SumOfRange(const TIntArray& A, int From, int To);
int32_t SumOf(const TIntArray& A);
// C = A less B where both have the index.
void SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
void FillRange(TIntArray& A, int32_t Value, int From, int To);
void FillArray(TIntArray& A, int32_t Value);
void SetCounts(TIntegerPerWidthType& Counts, int32_t Value);
void CountWidthTypes(TIntegerPerWidthType& Counts, const TWidthTypeArray& Kinds, int From, int To);
int32_t SumOfWidthType(TWidthType Kind, const TWidthTypeArray& Kinds, const TIntArray& Values, int From, int To);
int32_t SumOfOtherWidthTypes(TWidthType Kind, const TWidthTypeArray& Kinds, const TIntArray& Values, int From, int To);

// Without regard to case, by the user's locale: negative, 0 or positive.
int CompareWideText(std::u16string_view S1, std::u16string_view S2);
