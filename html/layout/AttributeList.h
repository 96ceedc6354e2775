#pragma once
// The attributes of one tag as the parser read them, with the accessors the
// viewer uses: id, title, class list and the parsed style attribute.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/FreeList.h"
#include "html/text/HtmlSymbols.h"
#include "platform/runtime/TCStringList.h"

class TProperties;

class TAttribute {
public:
    TAttribute(TAttrSymb ASym, double AValue, std::u16string NameStr, std::u16string ValueStr, int ACodePage);
    static std::unique_ptr<TAttribute> CreateCopy(const TAttribute& ASource) {
        return std::make_unique<TAttribute>(ASource);
    }
    const std::u16string& AsString() const { return Name; }
    int32_t AsInteger() const { return Value; }
    double AsDouble() const { return DblValue; }

    TAttrSymb Which;
    std::u16string WhichName;  // the attribute's name, upper case
    int32_t Value;             // DblValue truncated toward zero
    double DblValue;
    std::u16string Name;  // the attribute's value text
    int CodePage;
};

class TAttributeList : public TFreeList<TAttribute> {
public:
    TAttributeList() : TFreeList<TAttribute>(true) {}
    ~TAttributeList() override;
    static std::unique_ptr<TAttributeList> CreateCopy(const TAttributeList& ASource);

    void Add(std::unique_ptr<TAttribute> A) { TFreeList<TAttribute>::Add(A.release()); }
    // The first attribute of the symbol; T is left alone when there is none.
    bool Find(TAttrSymb Sy, TAttribute*& T) const;
    TAttribute* GetAttribute(int Index) const { return Items(Index); }
    // Frees the attributes and forgets the id and the parsed style.
    void Clear() override;
    // "NAME=value" lines, the caller's.
    std::unique_ptr<TCStringList> CreateStringList() const;

    // The id, lower case (kept once read).
    std::u16string TheID();
    std::u16string TheTitle() const;
    // The class list lower case in canonical order ("b  a" → "a.b").
    std::u16string TheClass() const;
    // The style attribute parsed once; the list owns the set while it holds
    // this tag, so every read answers the same object. Null without one.
    TProperties* TheStyle();

private:
    std::unique_ptr<TProperties> Prop;
    std::u16string SaveID;
};
