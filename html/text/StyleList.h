#pragma once
// A style sheet: selector keys in sorted order, each with the property set of
// its declarations (owned); the built-in default sheet; and the stack of the
// open elements' property sets.
//
// Keys: a simple selector is kept as written, its items put in the order
// element, classes, id, pseudo-classes when it has two or more of ".", "#",
// ":". A selector of several parts is stored subject first, then a blank, the
// number of ancestors and the rule's sequence number as one digit run, then
// the ancestors nearest first, each followed by a blank (a child ">" stays on
// the part before it): "li 20000000052ul> div ". Keys compare without regard
// to ASCII case, digit runs by their value, so the keys of one subject keep
// together, fewer ancestors first, then in the order the rules were read.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "html/text/Properties.h"

// Digits of the sequence number: enough for any rule count of a buffer.
constexpr int SeqNoDigits = 10;

// One simple selector of a key: element.class#id:pseudo.
struct ThtSelectorPart {
    std::u16string Element, Class, ID, Pseudo;
    bool Child = false;  // the next part must be the direct parent
};
// A key's parts, subject first, then the ancestors nearest first (at most 20;
// the last takes the rest).
std::vector<ThtSelectorPart> SplitSelectorKey(std::u16string_view Key);

// The ordering of style keys (<0, 0, >0).
int CompareStyleKeys(std::u16string_view a, std::u16string_view b);
// The items of a simple selector (or a class list ".b.a") in canonical order.
std::u16string SortSelectorItems(std::u16string_view Text);

class TStyleList {
public:
    explicit TStyleList(bool AUseQuirksMode = false);
    virtual ~TStyleList();
    TStyleList(const TStyleList&) = delete;
    TStyleList& operator=(const TStyleList&) = delete;

    int Count() const { return int(FItems.size()); }
    const std::u16string& Strings(int Index) const { return FItems.at(size_t(Index)).Key; }
    TProperties* Objects(int Index) const { return FItems.at(size_t(Index)).Props.get(); }
    // The parts of a key, split once.
    const std::vector<ThtSelectorPart>& SelectorParts(int Index) const;
    // The first key not below Key; true when it equals Key (the first of equal keys).
    bool Find(std::u16string_view Key, int& Index) const;
    // The entry of a key, or null.
    TProperties* Lookup(std::u16string_view Key) const;

    // Adds under S after any equal keys; the set takes S as its tag and the
    // list's default point size.
    virtual int AddObject(std::u16string S, std::unique_ptr<TProperties> AObject);
    virtual void Clear();
    // A rule's selector asked for hover: links must follow the mouse. The
    // document's list acts on it; a plain list has nothing to do.
    virtual void SetLinksActive(bool Value);

    // The next sequence number as fixed-width digits.
    std::u16string GetSeqNo();
    // Stores one declaration under a key.
    void AddModifyProp(std::u16string_view Selector, std::u16string_view Prop, std::u16string_view Value);
    TProperties* AddDuplicate(std::u16string_view Tag, const TProperties& Prop);
    void ModifyLinkColor(std::u16string_view Pseudo, TColor AColor);
    // Quirks mode: the body's colour (and font) reach the table cells.
    void FixupTableColor(const TProperties& BodyProp);
    // Rebuilds the default style sheet.
    void Initialize(std::u16string_view FontName, std::u16string_view PreFontName, double PointSize, TColor AColor,
                    TColor AHotspot, TColor AVisitedColor, TColor AActiveColor, bool LinkUnderline, int ACodePage,
                    int ACharSet, int MarginHeight, int MarginWidth);

    TProperties* DefProp() const { return FDefProp; }
    double DefPointSize() const { return FDefPointSize; }
    void SetDefPointSize(double v) { FDefPointSize = v; }
    bool UseQuirksMode() const { return FUseQuirksMode; }
    void SetUseQuirksMode(bool v) { FUseQuirksMode = v; }
    int32_t SeqNo = 10;

private:
    TProperties* NewEntry(std::u16string_view Key, bool Quirks);
    struct Entry {
        std::u16string Key;
        std::unique_ptr<TProperties> Props;
        mutable std::unique_ptr<std::vector<ThtSelectorPart>> Parts;  // made on first use
    };
    std::vector<Entry> FItems;
    TProperties* FDefProp = nullptr;
    double FDefPointSize = 12;
    bool FUseQuirksMode = false;
};

// The property sets of the open elements, root first (owned).
class TPropStack {
public:
    int Count() const { return int(FItems.size()); }
    TProperties* GetProp(int Index) const { return FItems.at(size_t(Index)).get(); }
    TProperties* Last() const { return FItems.empty() ? nullptr : FItems.back().get(); }
    TProperties* Add(std::unique_ptr<TProperties> P);
    TProperties* Insert(int Index, std::unique_ptr<TProperties> P);
    void Delete(int Index);
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TProperties>> FItems;
};
