#pragma once
// Text collected character by character with the source position of each
// character, so laid-out text maps back to the document source. Both grow in
// steps of 50 from 300.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TCharCollection {
public:
    TCharCollection() { SetCapacity(300); }
    void Add(char16_t C, int32_t Index);
    void Add(std::u16string_view S, int32_t Index);
    // No characters, and no room: the next add makes room for 50.
    void Clear();
    std::u16string AsString() const { return FChars.substr(0, size_t(FCurrentIndex)); }
    int Capacity() const { return int(FChars.size()); }
    void SetCapacity(int Value);
    int Size() const { return FCurrentIndex; }
    // The source index of character n (1-based).
    int32_t Indices(int N) const { return FIndices.at(size_t(N)); }

private:
    std::u16string FChars;          // its length is the capacity
    std::vector<int32_t> FIndices;  // capacity + 1 entries, used from 1
    int FCurrentIndex = 0;
};

class TTokenObj {
public:
    TTokenObj() { SetCapacity(300); }
    void AddUnicodeChar(char16_t Ch, int32_t Ind);
    void AddString(const TCharCollection& S);
    void Clear();
    // The token text, rebuilt only after characters were added.
    const std::u16string& S();
    int Count() const { return FCount; }
    int Capacity() const { return int(C.size()) - 1; }
    void SetCapacity(int Value);
    // Character n and its source index (1-based).
    char16_t Chars(int N) const { return C.at(size_t(N)); }
    int32_t Indices(int N) const { return I.at(size_t(N)); }

private:
    std::u16string St;
    bool StringOK = true;
    int FCount = 0;
    std::vector<char16_t> C;  // capacity + 1 entries, used from 1
    std::vector<int32_t> I;
};
