#include "html/layout/TokenBuffers.h"

#include <algorithm>

void TCharCollection::SetCapacity(int Value) {
    Value = std::max(Value, 0);
    if (Value == Capacity() && FIndices.size() == size_t(Value) + 1) return;
    FChars.resize(size_t(Value));
    FIndices.resize(size_t(Value) + 1);
    FCurrentIndex = std::min(FCurrentIndex, Value);
}

void TCharCollection::Add(char16_t C, int32_t Index) {
    if (FCurrentIndex + 1 >= Capacity()) SetCapacity(Capacity() + 50);
    ++FCurrentIndex;
    FChars[size_t(FCurrentIndex - 1)] = C;
    FIndices[size_t(FCurrentIndex)] = Index;
}

void TCharCollection::Add(std::u16string_view S, int32_t Index) {
    if (S.empty()) return;
    const int k = int(S.size());
    if (FCurrentIndex + k >= Capacity()) SetCapacity(FCurrentIndex + k + 50);
    for (int n = 0; n < k; ++n) {
        FChars[size_t(FCurrentIndex + n)] = S[size_t(n)];
        FIndices[size_t(FCurrentIndex + n + 1)] = Index;
    }
    FCurrentIndex += k;
}

void TCharCollection::Clear() {
    FCurrentIndex = 0;
    FChars.clear();
    FIndices.assign(1, 0);
}

void TTokenObj::SetCapacity(int Value) {
    Value = std::max(Value, 0);
    if (int(C.size()) == Value + 1) return;
    C.resize(size_t(Value) + 1);
    I.resize(size_t(Value) + 1);
    if (Value < FCount) {
        FCount = Value;
        if (StringOK) St.resize(size_t(Value));
    }
}

void TTokenObj::AddUnicodeChar(char16_t Ch, int32_t Ind) {
    if (FCount >= Capacity()) SetCapacity(Capacity() + 50);
    ++FCount;
    C[size_t(FCount)] = Ch;
    I[size_t(FCount)] = Ind;
    StringOK = false;
}

void TTokenObj::AddString(const TCharCollection& S) {
    const int k = S.Size();
    if (k == 0) return;
    if (FCount + k >= Capacity()) SetCapacity(FCount + k + 50);
    const std::u16string chars = S.AsString();
    for (int n = 1; n <= k; ++n) {
        C[size_t(FCount + n)] = chars[size_t(n - 1)];
        I[size_t(FCount + n)] = S.Indices(n);
    }
    FCount += k;
    StringOK = false;
}

void TTokenObj::Clear() {
    FCount = 0;
    St.clear();
    StringOK = true;
}

const std::u16string& TTokenObj::S() {
    if (!StringOK) {
        St.assign(C.begin() + 1, C.begin() + 1 + FCount);
        StringOK = true;
    }
    return St;
}
