#include "html/layout/AttributeList.h"

#include <cmath>

#include "html/text/HtmlText.h"
#include "html/text/Properties.h"
#include "html/text/StyleList.h"
#include "html/text/StyleParser.h"

using namespace htmltext;

TAttribute::TAttribute(TAttrSymb ASym, double AValue, std::u16string NameStr, std::u16string ValueStr, int ACodePage)
    : Which(ASym), WhichName(std::move(NameStr)), Value(clampToInt32(std::trunc(AValue))), DblValue(AValue),
      Name(std::move(ValueStr)), CodePage(ACodePage) {}

TAttributeList::~TAttributeList() = default;

std::unique_ptr<TAttributeList> TAttributeList::CreateCopy(const TAttributeList& ASource) {
    auto copy = std::make_unique<TAttributeList>();
    for (int i = 0; i < ASource.Count(); ++i) copy->Add(TAttribute::CreateCopy(*ASource.Items(i)));
    return copy;
}

bool TAttributeList::Find(TAttrSymb Sy, TAttribute*& T) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Which == Sy) {
            T = Items(i);
            return true;
        }
    return false;
}

void TAttributeList::Clear() {
    TFreeList<TAttribute>::Clear();
    SaveID.clear();
    Prop.reset();  // it was the style of the tag that is gone
}

std::unique_ptr<TCStringList> TAttributeList::CreateStringList() const {
    auto list = std::make_unique<TCStringList>();
    for (int i = 0; i < Count(); ++i) list->add(toUtf8(Items(i)->WhichName + u"=" + Items(i)->Name).c_str());
    return list;
}

std::u16string TAttributeList::TheID() {
    if (!SaveID.empty()) return SaveID;
    TAttribute* a = nullptr;
    if (Find(IDSy, a)) SaveID = lower(a->Name);
    return SaveID;
}

std::u16string TAttributeList::TheTitle() const {
    TAttribute* a = nullptr;
    return Find(TitleSy, a) ? a->Name : std::u16string();
}

std::u16string TAttributeList::TheClass() const {
    TAttribute* a = nullptr;
    if (!Find(ClassSy, a)) return {};
    std::u16string s = lower(trim(a->Name));
    if (s.find(u' ') == std::u16string::npos) return s;
    std::u16string dotted;
    while (!s.empty()) {
        const size_t blank = s.find(u' ');
        dotted += u"." + s.substr(0, blank);
        s = blank == std::u16string::npos ? std::u16string() : trim(s.substr(blank + 1));
    }
    const std::u16string sorted = SortSelectorItems(dotted);
    return sorted.empty() ? sorted : sorted.substr(1);
}

TProperties* TAttributeList::TheStyle() {
    if (Prop) return Prop.get();
    TAttribute* a = nullptr;
    if (!Find(StyleAttrSy, a)) return nullptr;
    Prop = std::make_unique<TProperties>();
    ParseStyleAttributeText(a->Name, *Prop);
    return Prop.get();
}
