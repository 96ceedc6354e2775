#include "html/text/CodePages.h"

#include <algorithm>

#include "html/text/BuffConverterClasses.h"

namespace {

struct TBuffConvInfoRow {
    int CodePage;
    int16_t CharSet;
    TBuffConverterClass Converter;
    const char* Name;
};
struct TBuffCodePageNameRow {
    const char16_t* Name;
    int CodePage;
};

#include "html/text/CodePageTables.inc"

char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const char16_t x = asciiLower(a[i]), y = asciiLower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::unique_ptr<TBuffConvInfoList> gInfos;
std::unique_ptr<TBuffCodePageNameList> gNames;
bool gShutDown = false;

}  // namespace

TBuffConvInfoList::TBuffConvInfoList() {
    for (const auto& r : CodePageRows) Add(std::make_unique<TBuffConvInfo>(r.CodePage, r.CharSet, r.Converter, r.Name));
}

void TBuffConvInfoList::Add(std::unique_ptr<TBuffConvInfo> Item) {
    FItems.push_back(std::move(Item));
    FSorted = false;
}

void TBuffConvInfoList::Delete(int Index) {
    if (Index >= 0 && Index < Count()) FItems.erase(FItems.begin() + Index);
}

void TBuffConvInfoList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const auto& a, const auto& b) { return a->CodePage() < b->CodePage(); });
    FSorted = true;
}

int TBuffConvInfoList::Find(int CodePage) {
    if (!FSorted) Sort();
    auto it = std::lower_bound(FItems.begin(), FItems.end(), CodePage,
                               [](const auto& row, int cp) { return row->CodePage() < cp; });
    if (it == FItems.end() || (*it)->CodePage() != CodePage) return -1;
    return int(it - FItems.begin());
}

TBuffCodePageNameList::TBuffCodePageNameList() {
    for (const auto& r : CharsetNameRows) Add(std::make_unique<TBuffCodePageName>(r.Name, r.CodePage));
    Sort();
}

void TBuffCodePageNameList::Add(std::unique_ptr<TBuffCodePageName> Info) {
    FItems.push_back(std::move(Info));
    FSorted = false;
}

void TBuffCodePageNameList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const auto& a, const auto& b) { return compareNoCase(a->Name(), b->Name()) < 0; });
    FSorted = true;
}

bool TBuffCodePageNameList::Find(std::u16string_view S, int& Index) {
    if (!FSorted) Sort();
    auto it = std::lower_bound(FItems.begin(), FItems.end(), S, [](const auto& row, std::u16string_view s) {
        return compareNoCase(row->Name(), s) < 0;
    });
    Index = int(it - FItems.begin());
    return it != FItems.end() && compareNoCase((*it)->Name(), S) == 0;
}

int TBuffCodePageNameList::IndexOf(std::u16string_view S) {
    int index = -1;
    if (Find(S, index)) return index;
    std::u16string lower(S);
    for (auto& c : lower) c = asciiLower(c);
    for (int i = Count() - 1; i >= 0; --i)
        if (!FItems[size_t(i)]->Name().empty() && lower.find(FItems[size_t(i)]->Name()) != std::u16string::npos)
            return i;
    return -1;
}

TBuffConvInfoList* BuffConvInfos() {
    if (!gInfos && !gShutDown) gInfos = std::make_unique<TBuffConvInfoList>();
    return gInfos.get();
}

TBuffCodePageNameList* BuffCodePageNames() {
    if (!gNames && !gShutDown) gNames = std::make_unique<TBuffCodePageNameList>();
    return gNames.get();
}

void ShutdownBuffCodePages() {
    gShutDown = true;
    gInfos.reset();
    gNames.reset();
}

const TBuffCodePageName* FindCodePageName(std::u16string_view Name) {
    TBuffCodePageNameList* names = BuffCodePageNames();
    if (!names) return nullptr;
    int index = -1;
    if (!names->Find(Name, index)) index = names->IndexOf(Name);
    return index < 0 ? nullptr : &names->Items(index);
}

int CharsetNameToCodePage(std::u16string_view Name) {
    const TBuffCodePageName* n = FindCodePageName(Name);
    return n ? n->CodePage() : -1;
}

int CodePageToCharset(int CodePage) {
    TBuffConvInfoList* infos = BuffConvInfos();
    if (!infos) return 1;
    const int i = infos->Find(CodePage);
    if (i < 0 || infos->Items(i).CharSet() == -1) return 1;
    return infos->Items(i).CharSet();
}
