#pragma once
// The process-wide code-page tables: for each known code page its converter
// class and font character set, and the charset names of declarations
// ("utf-8", "windows-1251") with their code pages. After the component shuts
// the tables down, every look-up answers "unknown" and they are never made again.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/text/BuffConverter.h"

class TBuffConvInfo {
public:
    TBuffConvInfo(int CodePage, int16_t CharSet, TBuffConverterClass Converter, std::string Name)
        : FName(std::move(Name)), FCodePage(CodePage), FCharSet(CharSet), FConverter(Converter) {}
    const std::string& Name() const { return FName; }
    int CodePage() const { return FCodePage; }
    // The font character set that suits the code page, -1 for none.
    int16_t CharSet() const { return FCharSet; }
    TBuffConverterClass Converter() const { return FConverter; }

private:
    std::string FName;
    int FCodePage;
    int16_t FCharSet;
    TBuffConverterClass FConverter;
};

// Owns its rows; sorts itself by code page on the first look-up after a change.
class TBuffConvInfoList {
public:
    TBuffConvInfoList();  // the full table
    void Add(std::unique_ptr<TBuffConvInfo> Item);
    void Delete(int Index);
    // Index of the row of CodePage, or -1.
    int Find(int CodePage);
    void Sort();
    bool Sorted() const { return FSorted; }
    int Count() const { return int(FItems.size()); }
    const TBuffConvInfo& Items(int Index) const { return *FItems.at(size_t(Index)); }

private:
    std::vector<std::unique_ptr<TBuffConvInfo>> FItems;
    bool FSorted = false;
};

class TBuffCodePageName {
public:
    TBuffCodePageName(std::u16string Name, int CodePage) : FName(std::move(Name)), FCodePage(CodePage) {}
    const std::u16string& Name() const { return FName; }
    int CodePage() const { return FCodePage; }

private:
    std::u16string FName;
    int FCodePage;
};

// Charset names, sorted without regard to case (ASCII), duplicates allowed.
class TBuffCodePageNameList {
public:
    TBuffCodePageNameList();  // the full table
    void Add(std::unique_ptr<TBuffCodePageName> Info);
    // Binary search without regard to case; true and the index when found.
    bool Find(std::u16string_view S, int& Index);
    // Find, then the substring fall-back: the last entry (in sorted order)
    // whose name occurs inside the lower-cased S; -1 when none does.
    int IndexOf(std::u16string_view S);
    int Count() const { return int(FItems.size()); }
    const TBuffCodePageName& Items(int Index) const { return *FItems.at(size_t(Index)); }

private:
    void Sort();
    std::vector<std::unique_ptr<TBuffCodePageName>> FItems;
    bool FSorted = false;
};

// The process-wide lists, made on first use; null after shutdown.
TBuffConvInfoList* BuffConvInfos();
TBuffCodePageNameList* BuffCodePageNames();
// Frees both lists for good (the component's shutdown).
void ShutdownBuffCodePages();

const TBuffCodePageName* FindCodePageName(std::u16string_view Name);
// The code page of a charset name, -1 when unknown.
int CharsetNameToCodePage(std::u16string_view Name);
// The font character set of a code page; 1 (the default set) when unknown.
int CodePageToCharset(int CodePage);
