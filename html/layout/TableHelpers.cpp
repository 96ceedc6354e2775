#include "html/layout/TableHelpers.h"

TColSpec::TColSpec(const TSpecWidth& Width, std::u16string_view Align, ThtAlignmentStyle VAlign)
    : FWidth(Width), FAlign(Align), FVAlign(VAlign) {}

int32_t SumOfRange(const TIntArray&, int, int) {
    // Still to come: the sum over the range.
    return 0;
}

int32_t SumOf(const TIntArray&) {
    // Still to come: the sum of all entries.
    return 0;
}

void SubtractArrays(const TIntArray& A, const TIntArray&, TIntArray& C) {
    // Still to come: the subtraction over the common part.
    C = A;
}

void FillRange(TIntArray&, int32_t, int, int) {
    // Still to come: filling the range.
}

void FillArray(TIntArray&, int32_t) {
    // Still to come: filling every entry.
}

void SetCounts(TIntegerPerWidthType& Counts, int32_t Value) { Counts.fill(Value); }

void CountWidthTypes(TIntegerPerWidthType& Counts, const TWidthTypeArray&, int, int) {
    // Still to come: one count per entry of the range.
    Counts.fill(0);
}

int32_t SumOfWidthType(TWidthType, const TWidthTypeArray&, const TIntArray&, int, int) {
    // Still to come: the sum over the columns of the kind.
    return 0;
}

int32_t SumOfOtherWidthTypes(TWidthType, const TWidthTypeArray&, const TIntArray&, int, int) {
    // Still to come: the sum over the columns of the other kinds.
    return 0;
}

int CompareWideText(std::u16string_view S1, std::u16string_view S2) {
    // Still to come: the comparison by the user's locale without regard to case.
    return S1.compare(S2);
}
