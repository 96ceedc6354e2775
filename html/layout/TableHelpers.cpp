#include "html/layout/TableHelpers.h"

#include <algorithm>

#include "platform/framework/Classes.h"

namespace {

// The part of From..To that lies in an array of Size entries; empty when To < From.
bool clampRange(size_t Size, int& From, int& To) {
    From = std::max(From, 0);
    if (int64_t(To) > int64_t(Size) - 1) To = int(int64_t(Size) - 1);
    return From <= To;
}

int32_t saturate(int64_t V) { return int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

}  // namespace

TColSpec::TColSpec(const TSpecWidth& Width, std::u16string_view Align, ThtAlignmentStyle VAlign)
    : FWidth(Width), FAlign(Align), FVAlign(VAlign) {}

int32_t SumOfRange(const TIntArray& A, int From, int To) {
    if (!clampRange(A.size(), From, To)) return 0;
    int64_t sum = 0;
    for (int i = From; i <= To; ++i) sum += A[size_t(i)];
    return saturate(sum);
}

int32_t SumOf(const TIntArray& A) { return SumOfRange(A, 0, int(A.size()) - 1); }

void SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C) {
    C = A;
    const size_t n = std::min(A.size(), B.size());
    for (size_t i = 0; i < n; ++i) C[i] = saturate(int64_t(C[i]) - B[i]);
}

void FillRange(TIntArray& A, int32_t Value, int From, int To) {
    if (!clampRange(A.size(), From, To)) return;
    std::fill(A.begin() + From, A.begin() + To + 1, Value);
}

void FillArray(TIntArray& A, int32_t Value) { std::fill(A.begin(), A.end(), Value); }

void SetCounts(TIntegerPerWidthType& Counts, int32_t Value) { Counts.fill(Value); }

void CountWidthTypes(TIntegerPerWidthType& Counts, const TWidthTypeArray& Kinds, int From, int To) {
    Counts.fill(0);
    if (!clampRange(Kinds.size(), From, To)) return;
    for (int i = From; i <= To; ++i)
        if (Kinds[size_t(i)] < Counts.size()) ++Counts[Kinds[size_t(i)]];
}

int32_t SumOfWidthType(TWidthType Kind, const TWidthTypeArray& Kinds, const TIntArray& Values, int From, int To) {
    if (!clampRange(std::min(Kinds.size(), Values.size()), From, To)) return 0;
    int64_t sum = 0;
    for (int i = From; i <= To; ++i)
        if (Kinds[size_t(i)] == Kind) sum += Values[size_t(i)];
    return saturate(sum);
}

int32_t SumOfOtherWidthTypes(TWidthType Kind, const TWidthTypeArray& Kinds, const TIntArray& Values, int From, int To) {
    if (!clampRange(std::min(Kinds.size(), Values.size()), From, To)) return 0;
    int64_t sum = 0;
    for (int i = From; i <= To; ++i)
        if (Kinds[size_t(i)] != Kind) sum += Values[size_t(i)];
    return saturate(sum);
}

int CompareWideText(std::u16string_view S1, std::u16string_view S2) { return WideCompareTextInLocale(S1, S2); }
